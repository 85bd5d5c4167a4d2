// Every text of both windows whole at the display scale the prefix runs at (VELT_EXPECT_DPI), and
// again after a move to a monitor of another scale: measured with each control's own font in the
// room that control gives its text, and the About window's notice compared pixel by pixel with
// its 96-DPI lines; the time boxes painted whole. Where VELT_SHOTS names a folder, the windows
// hold still there for a script to take their pictures.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "platform/win32/Text_win.h"
#include "platform/win32/Win32Windowing.h"
#include "ui/AboutLayout.h"
#include "ui/MainLayout.h"

namespace velt::platform::win32 {
namespace {

struct NoEvents final : MainFormEvents, MenuFormEvents, AboutFormEvents {
    void Form_Load() override {}
    void Form_Unload(std::int16_t&) override {}
    void cmdON_Click() override {}
    void Command5_Click() override {}
    void Command2_Click() override {}
    void Timer1_Timer() override {}
    void Timer2_Timer() override {}
    void txtTime_KeyDown(std::int16_t, std::int16_t&, std::int16_t) override {}
    void Form_MouseMove(std::int16_t, std::int16_t, float, float) override {}
    bool Form_QueryEndSession() override { return true; }
    void Form_EndSession(bool) override {}
    void TaskbarCreated() override {}
    void mnuOpen_Click() override {}
    void mnuClose_Click() override {}
    void mnuweb_Click() override {}
    void mnuVer_Click() override {}
    void cmdOK_Click() override {}
    void Label2_Click() override {}
};

// The widest texts the program writes into its labels at run time.
constexpr std::pair<Ctl, const char*> kWidestWritten[] = {
    {Ctl::lblTIME, "88:88:88"},
    {Ctl::Label7, "88:88:88"},
    {Ctl::lblKAKU, " 電源を切るを88:88に実行します。"},
};
// The hour and minute boxes with their entries.
constexpr std::pair<Ctl, int> kTimeBoxes[] = {{Ctl::txtTime0, 24}, {Ctl::txtTime1, 60}};
constexpr char kVersionText[] = "Velt_PCタイマー終了 Version.1.2.3";

// The terms notice as it breaks at 96 DPI.
const wchar_t* const kNoticeLines[] = {
    L"────────ご利用上の注意と免責────────",
    L"■本ソフトを使用した結果，損害は当人\u3000 ",
    L"の責任となり、作者はいかなる責任も負いません。                     ",
    L"■上記の内容に同意いただけない場合，本ソフトの使用は      ",
    L"ご遠慮ください。",
};

using wintest::Px;
int Scaled(int pixelsAt96, int dpi) { return ::MulDiv(pixelsAt96, dpi, 96); }
std::wstring ClassOf(HWND hwnd) { return wintest::Wide(wintest::ClassOf(hwnd)); }
std::wstring TextOf(HWND hwnd) { return wintest::Wide(wintest::TextOf(hwnd)); }

std::wstring Drawn(std::wstring text, bool accessKeys) {
    if (accessKeys) {
        std::wstring out;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == L'&' && i + 1 < text.size()) ++i;
            out.push_back(text[i]);
        }
        text = out;
    }
    while (!text.empty() && (text.back() == L' ' || text.back() == L'\u3000'))
        text.pop_back();
    return text;
}

// A DC with a control's own font selected.
class Measure {
    static HFONT FontOf(HWND control, HFONT otherwise) {
        auto font = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
        return font != nullptr ? font : otherwise;
    }

public:
    explicit Measure(HWND control, HFONT otherwise = nullptr)
        : dc_(::CreateCompatibleDC(nullptr)),
          font_(FontOf(control, otherwise)),
          old_(::SelectObject(
              dc_, font_ != nullptr ? static_cast<HGDIOBJ>(font_) : ::GetStockObject(SYSTEM_FONT))) {
        ::GetTextMetricsW(dc_, &metrics_);
    }
    Measure(const Measure&) = delete;
    Measure& operator=(const Measure&) = delete;
    ~Measure() {
        ::SelectObject(dc_, old_);
        ::DeleteDC(dc_);
    }
    bool HasFont() const { return font_ != nullptr; }
    int Width(const std::wstring& text) const {
        SIZE size{};
        ::GetTextExtentPoint32W(dc_, text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx;
    }
    int WrappedHeight(const std::wstring& text, int width) const {
        RECT box{0, 0, width, 0};
        ::DrawTextW(dc_, text.c_str(), -1, &box, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
        return box.bottom;
    }
    int LineHeight() const { return metrics_.tmHeight; }
    int HalfDigit() const {
        int width = 0;
        ::GetCharWidth32W(dc_, L'0', L'0', &width);
        return width / 2;
    }
    HDC Dc() const { return dc_; }
    HFONT Font() const { return font_; }

private:
    HDC dc_;
    HFONT font_;
    HGDIOBJ old_;
    TEXTMETRICW metrics_{};
};

// A control drawn into memory: which pixels carry ink (dark text on a light face), and which the
// control left as they were.
class Picture {
public:
    Picture(int width, int height, COLORREF ground = RGB(255, 255, 255)) : width_(width), height_(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        dc_ = ::CreateCompatibleDC(nullptr);
        bitmap_ =
            ::CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        old_ = ::SelectObject(dc_, bitmap_);
        RECT all{0, 0, width, height};
        HBRUSH brush = ::CreateSolidBrush(ground);
        ::FillRect(dc_, &all, brush);
        ::DeleteObject(brush);
    }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
    ~Picture() {
        ::SelectObject(dc_, old_);
        ::DeleteObject(bitmap_);
        ::DeleteDC(dc_);
    }
    HDC Dc() const { return dc_; }
    std::vector<bool> Ink() const {
        ::GdiFlush();
        std::vector<bool> ink(static_cast<std::size_t>(width_) * height_);
        for (std::size_t i = 0; i < ink.size(); ++i) {
            const std::uint32_t p = bits_[i];
            ink[i] = ((p & 0xff) + ((p >> 8) & 0xff) + ((p >> 16) & 0xff)) < 3 * 128;
        }
        return ink;
    }
    // The rows (top down) in which some pixel still has the colour the picture began with.
    std::vector<int> RowsLeftAs(COLORREF ground) const {
        ::GdiFlush();
        const std::uint32_t bgr = (GetRValue(ground) << 16) | (GetGValue(ground) << 8) |
                                  static_cast<std::uint32_t>(GetBValue(ground));
        std::vector<int> rows;
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) {
                if ((bits_[static_cast<std::size_t>(y) * width_ + x] & 0xffffff) == bgr) {
                    rows.push_back(y);
                    break;
                }
            }
        }
        return rows;
    }
    // The first and the last row with ink inside `area`; {-1, -1} for none.
    std::pair<int, int> InkRows(const RECT& area) const {
        const std::vector<bool> ink = Ink();
        std::pair<int, int> rows{-1, -1};
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x) {
                if (!ink[static_cast<std::size_t>(y) * width_ + x]) continue;
                if (rows.first < 0) rows.first = y;
                rows.second = y;
                break;
            }
        }
        return rows;
    }

private:
    int width_, height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    std::uint32_t* bits_ = nullptr;
};

class DpiFit : public ::testing::Test {
protected:
    // The program's manifest makes it per-monitor aware; so is this process, for these tests.
    static void SetUpTestSuite() {
        using SetContext = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT);
        const FARPROC set =
            ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext");
        if (set != nullptr) {
            reinterpret_cast<SetContext>(reinterpret_cast<void*>(set))(
                DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
        }
    }

    void SetUp() override {
        if (const char* expected = std::getenv("VELT_EXPECT_DPI"); expected != nullptr) {
            expectedDpi_ = std::atoi(expected);
        }
        ui_.Attach(events_, events_, events_);
        ui_.CreateMainWindow();
        for (const auto& [control, text] : kWidestWritten)
            ui_.SetCaption(control, text);
        for (const auto& [box, count] : kTimeBoxes) {
            for (int i = 0; i < count; ++i)
                ui_.SetListItem(box, i, std::to_string(100 + i).substr(1));
            ui_.SetComboText(box, "00");
        }
        ui_.Show();
        ui_.ShowAbout();
        ui_.SetAboutCaption(AboutCtl::lblVersion, kVersionText);
        Pump();
    }

    void Pump() {
        MSG msg{};
        for (int round = 0; round < 3; ++round) {
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                ui_.Dispatch(msg);
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
    }

    // Each text control's text against the room its kind of control gives it.
    static void ExpectTextsFit(HWND window, int dpi, HWND notice) {
        for (HWND c = ::GetWindow(window, GW_CHILD); c != nullptr; c = ::GetWindow(c, GW_HWNDNEXT)) {
            if (c == notice) {
                ExpectNoticeKeepsItsLines(c, dpi);
                continue;
            }
            ExpectTextFits(c, dpi);
            if (ClassOf(c) == kFrameClass) ExpectTextsFit(c, dpi, notice);
        }
    }

    static void ExpectTextFits(HWND control, int dpi) {
        const std::wstring cls = ClassOf(control);
        const LONG style = static_cast<LONG>(::GetWindowLongPtrW(control, GWL_STYLE));
        RECT client{};
        ::GetClientRect(control, &client);
        std::wstring text = TextOf(control);
        if (cls == L"ComboBox") text = L"88";
        if (text.empty() || (cls == L"Static" && (style & SS_TYPEMASK) == SS_BITMAP)) return;
        const std::string name = WideToUtf8(cls) + " \"" + WideToUtf8(text) + "\" at " + std::to_string(dpi);

        // A frame that does not say which font it draws with is measured with its controls' font.
        HWND firstChild = ::GetWindow(control, GW_CHILD);
        Measure m(control, firstChild != nullptr
                               ? reinterpret_cast<HFONT>(::SendMessageW(firstChild, WM_GETFONT, 0, 0))
                               : nullptr);
        ASSERT_TRUE(m.HasFont()) << name << ": no font";
        int width = client.right;
        int height = client.bottom;
        bool accessKeys = false;
        if (cls == kFrameClass) {
            // The caption sits on the top line, inset, above the first row of controls.
            width -= Scaled(6, dpi) + 2 * Scaled(2, dpi);
            height = client.bottom;
            for (HWND child = ::GetWindow(control, GW_CHILD); child != nullptr;
                 child = ::GetWindow(child, GW_HWNDNEXT)) {
                RECT r{};
                ::GetWindowRect(child, &r);
                ::MapWindowPoints(nullptr, control, reinterpret_cast<POINT*>(&r), 2);
                height = std::min<int>(height, r.top);
            }
        } else if (cls == L"Button") {
            const LONG type = style & BS_TYPEMASK;
            accessKeys = true;
            if (type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON) {
                width -= Scaled(12, dpi) + 1 + m.HalfDigit();
            } else {
                width -= 2;  // the edge
                height -= 2;
            }
        } else if (cls == L"ComboBox") {
            width -= ::GetSystemMetrics(SM_CXVSCROLL) + 4;
            height = static_cast<int>(::SendMessageW(control, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
        } else if (m.Width(text) > width && client.right > 0) {
            // A label that wraps: all of its lines must show.
            EXPECT_LE(m.WrappedHeight(text, width), height) << name << ": a wrapped line is hidden";
            if (m.WrappedHeight(text, width) > m.LineHeight()) return;
        }
        const std::wstring drawn = Drawn(text, accessKeys);
        EXPECT_LE(m.Width(drawn), width) << name << ": cut at the right";
        EXPECT_LE(m.LineHeight(), height) << name << ": cut at the bottom";
    }

    // The notice draws its 96-DPI lines, whole, one under another.
    static void ExpectNoticeKeepsItsLines(HWND control, int dpi) {
        RECT client{};
        ::GetClientRect(control, &client);
        Measure m(control);
        for (const wchar_t* line : kNoticeLines) {
            EXPECT_LE(m.Width(Drawn(line, false)), client.right)
                << "notice line cut at " << dpi << ": " << WideToUtf8(line);
        }
        EXPECT_LE(m.LineHeight() * static_cast<int>(std::size(kNoticeLines)), client.bottom)
            << "notice's last line hidden at " << dpi;

        Picture shown(client.right, client.bottom);
        ::SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(shown.Dc()), PRF_CLIENT);
        Picture expected(client.right, client.bottom);
        HGDIOBJ old = ::SelectObject(expected.Dc(), m.Font());
        ::SetBkMode(expected.Dc(), TRANSPARENT);
        ::SetTextColor(expected.Dc(), RGB(0, 0, 0));
        RECT line{0, 0, client.right, m.LineHeight()};
        for (const wchar_t* text : kNoticeLines) {
            ::DrawTextW(expected.Dc(), text, -1, &line, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
            ::OffsetRect(&line, 0, m.LineHeight());
        }
        ::SelectObject(expected.Dc(), old);
        const std::vector<bool> a = shown.Ink(), b = expected.Ink();
        std::size_t differ = 0;
        for (std::size_t i = 0; i < a.size(); ++i)
            differ += a[i] != b[i] ? 1 : 0;
        EXPECT_EQ(differ, 0u) << "the notice does not show its lines as they break at 96 DPI (at " << dpi
                              << ")";
    }

    static void ExpectClientSize(HWND window, const ui::WindowLayout& layout, int dpi) {
        RECT client{};
        ::GetClientRect(window, &client);
        EXPECT_EQ(client.right, Px(layout.clientWidth, dpi)) << "client width at " << dpi;
        EXPECT_EQ(client.bottom, Px(layout.clientHeight, dpi)) << "client height at " << dpi;
    }

    // The box's "00" as high in its field as the same text centred there, give or take a pixel.
    static void ExpectTextCentred(HWND combo, const Picture& shown, const RECT& field,
                                  const std::string& name) {
        const int width = field.right - field.left;
        const int height = field.bottom - field.top;
        Picture centred(width, height);
        HGDIOBJ old =
            ::SelectObject(centred.Dc(), reinterpret_cast<HFONT>(::SendMessageW(combo, WM_GETFONT, 0, 0)));
        ::SetBkMode(centred.Dc(), TRANSPARENT);
        RECT all{0, 0, width, height};
        ::DrawTextW(centred.Dc(), L"00", 2, &all, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        ::SelectObject(centred.Dc(), old);
        const auto [top, bottom] = centred.InkRows(all);
        RECT inside = field;
        ::InflateRect(&inside, -1, -1);  // a focus rectangle, were there one
        const auto [shownTop, shownBottom] = shown.InkRows(inside);
        ASSERT_GE(top, 0);
        ASSERT_GE(shownTop, 0) << name << ": no text in the box";
        EXPECT_NEAR(shownTop - field.top, top, 1) << name << ": text off the middle of the box";
        EXPECT_NEAR(shownBottom - field.top, bottom, 1) << name << ": text off the middle of the box";
    }

    // Each time box where the layout puts it and painted whole: the combo box paints its edges and
    // its selection field, and nothing below the field; its list still opens below it and reaches
    // the last entry.
    void ExpectTimeBoxesWhole(int dpi) {
        for (const auto& [box, count] : kTimeBoxes) {
            HWND combo = ui_.ControlWindow(box);
            const ui::MainControl& entry = ui::Find(box);
            const std::string name = std::string(entry.name) + " at " + std::to_string(dpi);
            RECT r{};
            ::GetWindowRect(combo, &r);
            ::MapWindowPoints(nullptr, ::GetParent(combo), reinterpret_cast<POINT*>(&r), 2);
            const RECT placed{Px(entry.rect.left, dpi), Px(entry.rect.top, dpi), Px(entry.rect.right(), dpi),
                              Px(entry.rect.bottom(), dpi)};
            EXPECT_TRUE(::EqualRect(&r, &placed)) << name << ": not where the layout puts it";

            RECT client{};
            ::GetClientRect(combo, &client);
            COMBOBOXINFO info{};
            info.cbSize = sizeof info;
            ASSERT_TRUE(::GetComboBoxInfo(combo, &info)) << name;
            EXPECT_EQ(client.bottom - info.rcItem.bottom, info.rcItem.top)
                << name << ": the field does not reach the bottom edge";
            constexpr COLORREF kUnpainted = RGB(255, 0, 255);
            Picture shown(client.right, client.bottom, kUnpainted);
            ::SendMessageW(combo, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(shown.Dc()), PRF_CLIENT);
            const std::vector<int> rows = shown.RowsLeftAs(kUnpainted);
            EXPECT_TRUE(rows.empty()) << name << ": " << rows.size() << " rows left unpainted, the first "
                                      << (rows.empty() ? -1 : rows.front()) << " of " << client.bottom;
            ExpectTextCentred(combo, shown, info.rcItem, name);

            ::SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
            ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(count - 1), 0);
            RECT list{}, last{}, screen{};
            ::GetWindowRect(info.hwndList, &list);
            ::GetWindowRect(combo, &screen);
            ::SendMessageW(info.hwndList, LB_GETITEMRECT, static_cast<WPARAM>(count - 1),
                           reinterpret_cast<LPARAM>(&last));
            RECT listClient{};
            ::GetClientRect(info.hwndList, &listClient);
            EXPECT_EQ(list.top, screen.bottom) << name << ": the list does not open below the box";
            EXPECT_GE(last.top, 0) << name << ": the last entry out of reach";
            EXPECT_LE(last.bottom, listClient.bottom) << name << ": the last entry out of reach";
            ::SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
            ::SendMessageW(combo, CB_SETCURSEL, 0, 0);
        }
    }

    void ExpectBothWindowsFit(int mainDpi, int aboutDpi) {
        ExpectClientSize(ui_.MainWindow(), ui::kMainWindow, mainDpi);
        ExpectTimeBoxesWhole(mainDpi);
        ExpectClientSize(ui_.AboutWindow(), ui::kAboutWindow, aboutDpi);
        ExpectTextsFit(ui_.MainWindow(), mainDpi, nullptr);
        ExpectTextsFit(ui_.AboutWindow(), aboutDpi, ui_.AboutControlWindow(ui::AboutControl::Label6));
        // lblVersion's own font grows no faster than its box: 9.75 pt at 96 DPI is 13 px.
        LOGFONTW version{};
        HWND label = ui_.AboutControlWindow(ui::AboutControl::lblVersion);
        ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(label, WM_GETFONT, 0, 0)), sizeof version,
                     &version);
        EXPECT_LE(-version.lfHeight, 13 * aboutDpi / 96) << "lblVersion's font at " << aboutDpi;
        EXPECT_GE(-version.lfHeight, 13 * aboutDpi / 96 * 2 / 3) << "lblVersion's font at " << aboutDpi;
    }

    static void MoveToDpi(HWND window, int dpi) {
        RECT r{};
        ::GetWindowRect(window, &r);
        RECT suggested{40, 30, 40 + ::MulDiv(r.right - r.left, dpi, 96),
                       30 + ::MulDiv(r.bottom - r.top, dpi, 96)};
        ::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        RECT now{};
        ::GetWindowRect(window, &now);
        EXPECT_EQ(now.left, 40);
        EXPECT_EQ(now.top, 30);
    }

    // Tells the script taking the pictures where the windows are (FOLDER\\windows.txt), and keeps
    // them drawn until it says it is done (FOLDER\\taken).
    void HoldStillForPictures(const std::wstring& folder) {
        for (HWND window : {ui_.MainWindow(), ui_.AboutWindow()}) {
            ::RedrawWindow(window, nullptr, nullptr,
                           RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
        }
        Pump();
        std::string where;
        for (auto [name, window] :
             {std::pair{"main-window", ui_.MainWindow()}, std::pair{"about-window", ui_.AboutWindow()}}) {
            RECT r{};
            ::GetWindowRect(window, &r);
            where += std::string(name) + " " + std::to_string(r.left) + " " + std::to_string(r.top) + " " +
                     std::to_string(r.right - r.left) + " " + std::to_string(r.bottom - r.top) + "\n";
        }
        const std::wstring note = folder + L"\\windows.txt";
        const std::wstring taken = folder + L"\\taken";
        ::DeleteFileW(taken.c_str());
        FILE* out = _wfopen((note + L".tmp").c_str(), L"wb");
        ASSERT_NE(out, nullptr);
        std::fwrite(where.data(), 1, where.size(), out);
        std::fclose(out);
        ASSERT_TRUE(::MoveFileExW((note + L".tmp").c_str(), note.c_str(), MOVEFILE_REPLACE_EXISTING));
        for (int i = 0; i < 300 && ::GetFileAttributesW(taken.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
            Pump();
        EXPECT_NE(::GetFileAttributesW(taken.c_str()), INVALID_FILE_ATTRIBUTES) << "no pictures were taken";
    }

    int expectedDpi_ = 0;
    NoEvents events_;
    Win32Windowing ui_{::GetModuleHandleW(nullptr)};
};

TEST_F(DpiFit, EveryTextIsWholeAtTheDisplayScale) {
    const int dpi = static_cast<int>(ui_.Dpi());
    if (expectedDpi_ != 0) {
        ASSERT_EQ(dpi, expectedDpi_) << "the prefix does not run at the scale asked for";
    }
    ASSERT_EQ(static_cast<int>(ui_.AboutDpi()), dpi);
    ExpectBothWindowsFit(dpi, dpi);
    if (dpi == 96) {
        // At 100 % the windows keep the system's message font as it is.
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        ASSERT_TRUE(::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
        LOGFONTW used{};
        ::GetObjectW(
            reinterpret_cast<HFONT>(::SendMessageW(ui_.ControlWindow(Ctl::Label5), WM_GETFONT, 0, 0)),
            sizeof used, &used);
        EXPECT_EQ(used.lfHeight, metrics.lfMessageFont.lfHeight);
    }

    if (const char* shots = std::getenv("VELT_SHOTS"); shots != nullptr && *shots != '\0') {
        ::SetWindowPos(ui_.AboutWindow(), HWND_TOP, 40, 20, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
        ::SetWindowPos(ui_.MainWindow(), nullptr, 40, ::GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        HoldStillForPictures(Utf8ToWide(shots));
    }
}

// A move to a monitor of the next higher scale (the highest goes down one) makes the fonts and
// the layout again.
TEST_F(DpiFit, AMoveToAnotherScaleFitsAgain) {
    const int dpi = static_cast<int>(ui_.Dpi());
    const int next = dpi >= 192 ? 168 : dpi + 24;
    MoveToDpi(ui_.MainWindow(), next);
    MoveToDpi(ui_.AboutWindow(), next);
    Pump();
    EXPECT_EQ(static_cast<int>(ui_.Dpi()), next);
    EXPECT_EQ(static_cast<int>(ui_.AboutDpi()), next);
    ExpectBothWindowsFit(next, next);
    const ui::MainControl& label5 = ui::Find(Ctl::Label5);
    RECT r{};
    ::GetWindowRect(ui_.ControlWindow(Ctl::Label5), &r);
    EXPECT_EQ(r.right - r.left, Px(label5.rect.right(), next) - Px(label5.rect.left, next));
}

}  // namespace
}  // namespace velt::platform::win32
