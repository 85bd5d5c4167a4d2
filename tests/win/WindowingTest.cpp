// The real windows, driven inside the test process: layout in pixels, the dialog keys, the
// messages that reach the handlers, icons, the menu form and the About window.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "platform/WindowsApi.h"
#include "platform/win32/Pictures_win.h"
#include "platform/win32/Text_win.h"
#include "platform/win32/Win32Windowing.h"
#include "ui/AboutLayout.h"
#include "ui/MainLayout.h"
#include "ui/resources/ResourceIds.h"

namespace velt::platform::win32 {
namespace {

using ui::AboutControl;
using ui::Kind;

// Records what the windows report, and lets a test decide what the handlers do.
struct Recorder final : MainFormEvents, MenuFormEvents {
    std::vector<std::string> calls;
    std::int16_t unloadCancel = 1;  // what Form_Unload leaves in Cancel
    bool throwInUnload = false;
    bool allowEndSession = true;
    std::int16_t replaceKeyCode = -1;  // >= 0: txtTime_KeyDown writes it back
    std::vector<std::int16_t> keyIndexes, keyCodes;
    float lastX = -1, lastY = -1;
    std::function<void()> onTxtEnter;
    std::function<void()> onAboutLoad;
    std::function<void()> onOk;

    void Form_Load() override { calls.push_back("Form_Load"); }
    void Form_Unload(std::int16_t& Cancel) override {
        calls.push_back("Form_Unload");
        if (throwInUnload) throw std::runtime_error("unload failed");
        Cancel = unloadCancel;
    }
    void cmdON_Click() override { calls.push_back("cmdON_Click"); }
    void Command5_Click() override { calls.push_back("Command5_Click"); }
    void Command2_Click() override { calls.push_back("Command2_Click"); }
    void Timer1_Timer() override { calls.push_back("Timer1_Timer"); }
    void Timer2_Timer() override { calls.push_back("Timer2_Timer"); }
    void txtTime_KeyDown(std::int16_t Index, std::int16_t& KeyCode, std::int16_t /*Shift*/) override {
        keyIndexes.push_back(Index);
        keyCodes.push_back(KeyCode);
        if (KeyCode == 13 && onTxtEnter) onTxtEnter();
        if (replaceKeyCode >= 0) KeyCode = replaceKeyCode;
    }
    void Form_MouseMove(std::int16_t /*Button*/, std::int16_t /*Shift*/, float X, float Y) override {
        calls.push_back("Form_MouseMove");
        lastX = X;
        lastY = Y;
    }
    bool Form_QueryEndSession() override {
        calls.push_back("Form_QueryEndSession");
        return allowEndSession;
    }
    void Form_EndSession(bool ending) override {
        calls.push_back(ending ? "Form_EndSession(true)" : "Form_EndSession(false)");
    }
    void TaskbarCreated() override { calls.push_back("TaskbarCreated"); }

    void mnuOpen_Click() override { calls.push_back("mnuOpen_Click"); }
    void mnuClose_Click() override { calls.push_back("mnuClose_Click"); }
    void mnuweb_Click() override { calls.push_back("mnuweb_Click"); }
    void mnuVer_Click() override { calls.push_back("mnuVer_Click"); }

    // The About window's handlers share names with the main window's; they record apart.
    struct AboutEvents final : AboutFormEvents {
        Recorder* r = nullptr;
        void Form_Load() override {
            r->calls.push_back("About.Form_Load");
            if (r->onAboutLoad) r->onAboutLoad();
        }
        void cmdOK_Click() override {
            r->calls.push_back("About.cmdOK_Click");
            if (r->onOk) r->onOk();
        }
        void Label2_Click() override { r->calls.push_back("About.Label2_Click"); }
    } about;
    Recorder() { about.r = this; }
    int Count(const std::string& call) const {
        int n = 0;
        for (const auto& c : calls)
            n += c == call ? 1 : 0;
        return n;
    }
};

using wintest::ClassOf;
using wintest::Px;
using wintest::TextOf;

// The edges are converted, not the size, so that controls touching in twips still touch.
ui::PixelRect PxRect(const ui::TwipsRect& r, int dpi) {
    const int left = Px(r.left, dpi), top = Px(r.top, dpi);
    return {left, top, Px(r.left + r.width, dpi) - left, Px(r.top + r.height, dpi) - top};
}

// The Windows class each control of the main window must have.
const std::pair<Ctl, const wchar_t*> kExpectedClasses[] = {
    {Ctl::cmdON, L"Button"},
    {Ctl::Command5, L"Button"},
    {Ctl::Command2, L"Button"},
    {Ctl::Option1_0, L"Button"},
    {Ctl::Option1_1, L"Button"},
    {Ctl::Option1_2, L"Button"},
    {Ctl::optSTART0, L"Button"},
    {Ctl::optSTART1, L"Button"},
    {Ctl::txtTime0, L"ComboBox"},
    {Ctl::txtTime1, L"ComboBox"},
    {Ctl::Label1, L"Static"},
    {Ctl::Label2, L"Static"},
    {Ctl::Label3, L"Static"},
    {Ctl::Label4, L"Static"},
    {Ctl::Label5, L"Static"},
    {Ctl::Label6, L"Static"},
    {Ctl::Label7, L"Static"},
    {Ctl::lblTIME, L"Static"},
    {Ctl::lblKAKU, L"Static"},
    {Ctl::Frame1, L"VeltPCTimer.Frame"},
    {Ctl::Frame2, L"VeltPCTimer.Frame"},
    {Ctl::Frame3, L"VeltPCTimer.Frame"},
    {Ctl::Frame4, L"VeltPCTimer.Frame"},
    {Ctl::Frame5, L"VeltPCTimer.Frame"},
};

std::string ExpectedClass(Ctl c) {
    for (const auto& [ctl, name] : kExpectedClasses) {
        if (ctl == c) return WideToUtf8(name);
    }
    return "(not in the test's table)";
}

// The control's rectangle in its parent's client area.
ui::PixelRect RectInParent(HWND hwnd) {
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    ::MapWindowPoints(nullptr, ::GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

class WindowingTest : public ::testing::Test {
protected:
    void SetUp() override {
        Drain();
        ui_.Attach(events_, events_, events_.about);
        ui_.CreateMainWindow();
        ASSERT_NE(ui_.MainWindow(), nullptr);
        dpi_ = static_cast<int>(ui_.Dpi());
    }

    // Lets the windows handle everything pending, for at least `ms` milliseconds.
    void Pump(int ms = 0) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        do {
            MSG msg{};
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message != WM_QUIT) ui_.Dispatch(msg);
            }
            if (ms > 0) ::Sleep(10);
        } while (std::chrono::steady_clock::now() < end);
    }

    // Sends a key as the keyboard would: posted to the focused window, through the loop.
    void PressKey(UINT vk, UINT message = WM_KEYDOWN) {
        HWND focus = ::GetFocus();
        ASSERT_NE(focus, nullptr);
        ::PostMessageW(focus, message, vk, 1);
        Pump();
    }

    static void Drain() {
        MSG msg{};
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message != WM_QUIT) ::DispatchMessageW(&msg);
        }
    }

    HWND Ctrl(Ctl c) const { return ui_.ControlWindow(c); }

    Recorder events_;
    Win32Windowing ui_{::GetModuleHandleW(nullptr)};
    int dpi_ = 96;
};

// ---------------------------------------------------------------- the main window

// Hidden in the tray, the window has no controls yet; what the program set meanwhile is what
// they show when it is first shown, and a clock written while it is hidden again is current
// when it comes back.
TEST_F(WindowingTest, ControlsMadeAtFirstShowShowWhatWasSetWhileHidden) {
    Pump(50);
    ASSERT_FALSE(ui_.HasMainControls()) << "a window that starts hidden makes no controls";
    ui_.SetCaption(Ctl::lblKAKU, " 再起動を23:30に実行します。");
    ui_.SetCaption(Ctl::lblTIME, "10:00:00");
    ui_.SetCaption(Ctl::lblTIME, "10:00:01");
    ui_.SetEnabled(Ctl::cmdON, false);
    ui_.SetEnabled(Ctl::Command5, true);
    ui_.SetValue(Ctl::Option1_1, true);
    for (int i = 0; i < 24; ++i)
        ui_.SetListItem(Ctl::txtTime0, i, std::to_string(100 + i).substr(1));
    ASSERT_TRUE(ui_.SetComboText(Ctl::txtTime0, "23"));
    ui_.SetFocus(Ctl::Command5);
    EXPECT_FALSE(ui_.HasMainControls());
    EXPECT_EQ(ui_.Caption(Ctl::lblTIME), "10:00:01");
    EXPECT_TRUE(ui_.Value(Ctl::Option1_1));
    EXPECT_FALSE(ui_.Enabled(Ctl::cmdON));

    ui_.Show();
    Pump(50);
    ASSERT_TRUE(ui_.HasMainControls());
    EXPECT_EQ(TextOf(Ctrl(Ctl::lblKAKU)), " 再起動を23:30に実行します。");
    EXPECT_EQ(TextOf(Ctrl(Ctl::lblTIME)), "10:00:01");
    EXPECT_FALSE(::IsWindowEnabled(Ctrl(Ctl::cmdON)));
    EXPECT_TRUE(::IsWindowEnabled(Ctrl(Ctl::Command5)));
    EXPECT_EQ(::SendMessageW(Ctrl(Ctl::Option1_1), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(::SendMessageW(Ctrl(Ctl::Option1_0), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(::SendMessageW(Ctrl(Ctl::txtTime0), CB_GETCOUNT, 0, 0), 24);
    EXPECT_EQ(ui_.ComboText(Ctl::txtTime0), "23");
    EXPECT_EQ(::GetFocus(), Ctrl(Ctl::Command5));

    ui_.Hide();
    ui_.SetCaption(Ctl::lblTIME, "10:00:02");
    EXPECT_EQ(ui_.Caption(Ctl::lblTIME), "10:00:02");
    ui_.Show();
    EXPECT_EQ(TextOf(Ctrl(Ctl::lblTIME)), "10:00:02") << "the clock is current when the window comes back";
}

TEST_F(WindowingTest, MainWindowIsCreatedHiddenWithItsFrameAndClientSize) {
    HWND main = ui_.MainWindow();
    EXPECT_FALSE(::IsWindowVisible(main));
    EXPECT_EQ(TextOf(main), ui::kMainWindow.title);
    EXPECT_EQ(ClassOf(main), "VeltPCTimer.frmMain");
    RECT client{};
    ::GetClientRect(main, &client);
    EXPECT_EQ(client.right, Px(4755, dpi_));
    EXPECT_EQ(client.bottom, Px(3600, dpi_));
    const LONG_PTR style = ::GetWindowLongPtrW(main, GWL_STYLE);
    EXPECT_NE(style & WS_SYSMENU, 0);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0) << "fixed size, close box only";
    // Owned by a hidden window from the end of start-up, which hides it, and no app-window style:
    // no taskbar button, normal caption.
    ui_.Hide();
    EXPECT_NE(::GetWindow(main, GW_OWNER), nullptr);
    EXPECT_EQ(::GetWindowLongPtrW(main, GWL_EXSTYLE) & (WS_EX_APPWINDOW | WS_EX_TOOLWINDOW), 0);
    EXPECT_EQ(ui_.WindowHandle(), reinterpret_cast<Handle>(main));
    EXPECT_EQ(events_.Count("Form_Load"), 0) << "the program runs the load handler itself";
}

TEST_F(WindowingTest, EveryControlIsARealChildWithItsIdClassTextAndPlace) {
    for (const ui::MainControl& c : ui::kMainControls) {
        SCOPED_TRACE(c.name);
        HWND hwnd = Ctrl(c.ctl);
        ASSERT_NE(hwnd, nullptr);
        EXPECT_EQ(::GetDlgCtrlID(hwnd), c.id);
        EXPECT_EQ(ClassOf(hwnd), ExpectedClass(c.ctl));
        HWND parent = c.parent == Ctl::frmMain ? ui_.MainWindow() : Ctrl(c.parent);
        EXPECT_EQ(::GetParent(hwnd), parent);
        EXPECT_EQ(::GetDlgItem(parent, c.id), hwnd);
        if (c.kind != Kind::DropDownList) {
            EXPECT_EQ(TextOf(hwnd), c.text);
        }
        const ui::PixelRect expected = PxRect(c.rect, dpi_);
        const ui::PixelRect actual = RectInParent(hwnd);
        EXPECT_EQ(actual.left, expected.left);
        EXPECT_EQ(actual.top, expected.top);
        EXPECT_EQ(actual.width, expected.width);
        EXPECT_EQ(actual.height, expected.height);
        if (c.kind == Kind::DropDownList) {
            // The open list still drops well below the closed box.
            RECT dropped{};
            ::SendMessageW(hwnd, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
            EXPECT_GT(dropped.bottom - dropped.top, 5 * expected.height);
        }
        EXPECT_EQ(::IsWindowEnabled(hwnd) != FALSE, (c.flags & ui::flag::Disabled) == 0);
        if (c.kind == Kind::OptionButton) {
            EXPECT_EQ(ui_.Value(c.ctl), (c.flags & ui::flag::Selected) != 0);
        }
    }
    const LONG_PTR comboStyle = ::GetWindowLongPtrW(Ctrl(Ctl::txtTime0), GWL_STYLE);
    EXPECT_EQ(comboStyle & 3, CBS_DROPDOWNLIST) << "no typed text";
    EXPECT_NE(::GetWindowLongPtrW(Ctrl(Ctl::lblKAKU), GWL_STYLE) & WS_BORDER, 0);
    EXPECT_NE(::GetWindowLongPtrW(Ctrl(Ctl::Frame2), GWL_EXSTYLE) & WS_EX_CONTROLPARENT, 0);
}

TEST_F(WindowingTest, TabVisitsTheControlsInTheDesignedOrder) {
    ui_.SetEnabled(Ctl::Command5, true);
    ui_.SetValue(Ctl::optSTART0, true);
    ui_.Show();
    ::SetFocus(Ctrl(Ctl::cmdON));
    std::vector<Ctl> visited;
    for (int i = 0; i < 8; ++i) {
        const ui::MainControl* at = nullptr;
        for (const ui::MainControl& c : ui::kMainControls) {
            if (Ctrl(c.ctl) == ::GetFocus()) at = &c;
        }
        ASSERT_NE(at, nullptr) << "focus left the controls after " << i << " Tabs";
        visited.push_back(at->ctl);
        ui_.SendTabKey();
        Pump();
    }
    // One stop per option group: the selected button.
    EXPECT_EQ(visited, (std::vector<Ctl>{Ctl::cmdON, Ctl::Command5, Ctl::Command2, Ctl::Option1_0,
                                         Ctl::txtTime0, Ctl::txtTime1, Ctl::optSTART0, Ctl::cmdON}));
}

TEST_F(WindowingTest, OptionGroupsExcludeWithinThemselvesOnly) {
    ui_.SetValue(Ctl::optSTART1, true);
    ui_.SetValue(Ctl::Option1_2, true);
    EXPECT_FALSE(ui_.Value(Ctl::Option1_0));
    EXPECT_FALSE(ui_.Value(Ctl::Option1_1));
    EXPECT_TRUE(ui_.Value(Ctl::Option1_2));
    EXPECT_TRUE(ui_.Value(Ctl::optSTART1)) << "another group is left alone";
    ui_.SetValue(Ctl::optSTART0, true);
    EXPECT_FALSE(ui_.Value(Ctl::optSTART1));
    EXPECT_TRUE(ui_.Value(Ctl::Option1_2));
    ui_.SetValue(Ctl::Option1_2, false);
    EXPECT_FALSE(ui_.Value(Ctl::Option1_2));
    // A group with nothing selected is still reached by Tab, at its first button.
    EXPECT_NE(::GetWindowLongPtrW(Ctrl(Ctl::Option1_0), GWL_STYLE) & WS_TABSTOP, 0);

    // A click on a button selects it and clears its group, as the user's click does.
    ::SendMessageW(Ctrl(Ctl::Option1_1), BM_CLICK, 0, 0);
    Pump();
    EXPECT_TRUE(ui_.Value(Ctl::Option1_1));
    EXPECT_FALSE(ui_.Value(Ctl::Option1_0));
    EXPECT_TRUE(ui_.Value(Ctl::optSTART0));
}

TEST_F(WindowingTest, DropDownListsHoldTheirItemsAndPickOnlyExactTexts) {
    for (int i = 0; i < 3; ++i)
        ui_.SetListItem(Ctl::txtTime0, i, i == 1 ? "ab" : "0" + std::to_string(i));
    EXPECT_EQ(::SendMessageW(Ctrl(Ctl::txtTime0), CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(ui_.ComboText(Ctl::txtTime0), "") << "nothing picked yet";
    EXPECT_FALSE(ui_.SetComboText(Ctl::txtTime0, "AB")) << "case counts";
    EXPECT_FALSE(ui_.SetComboText(Ctl::txtTime0, "a"));
    EXPECT_TRUE(ui_.SetComboText(Ctl::txtTime0, "ab"));
    EXPECT_EQ(ui_.ComboText(Ctl::txtTime0), "ab");
    EXPECT_EQ(ui_.Caption(Ctl::txtTime0), "ab");
    EXPECT_FALSE(ui_.SetComboText(Ctl::txtTime0, "zz"));
    EXPECT_EQ(ui_.ComboText(Ctl::txtTime0), "ab") << "a failed pick leaves the box as it was";
    // Replacing the picked item keeps it picked; writing past the end grows the list.
    ui_.SetListItem(Ctl::txtTime0, 1, "01");
    EXPECT_EQ(ui_.ComboText(Ctl::txtTime0), "01");
    ui_.SetListItem(Ctl::txtTime0, 5, "05");
    EXPECT_EQ(::SendMessageW(Ctrl(Ctl::txtTime0), CB_GETCOUNT, 0, 0), 6);
    EXPECT_TRUE(ui_.SetComboText(Ctl::txtTime0, "05"));
    EXPECT_THROW(ui_.SetListItem(Ctl::txtTime0, -1, "x"), std::out_of_range);
    EXPECT_EQ(::SendMessageW(Ctrl(Ctl::txtTime1), CB_GETCOUNT, 0, 0), 0) << "the other box is untouched";
}

TEST_F(WindowingTest, KeysInTheTimeBoxesReachTheirHandlerFirst) {
    for (Ctl box : {Ctl::txtTime0, Ctl::txtTime1}) {
        for (int i = 0; i < 3; ++i)
            ui_.SetListItem(box, i, "0" + std::to_string(i));
        ui_.SetComboText(box, "00");
    }
    events_.onTxtEnter = [this] { ui_.SendTabKey(); };
    ui_.SetValue(Ctl::optSTART0, true);
    ui_.Show();
    ::SetFocus(Ctrl(Ctl::txtTime0));

    PressKey(VK_RETURN);
    EXPECT_EQ(::GetFocus(), Ctrl(Ctl::txtTime1)) << "Enter in the hour box moves on to the minute box";
    PressKey(VK_RETURN);
    EXPECT_EQ(::GetFocus(), Ctrl(Ctl::optSTART0)) << "Enter in the minute box moves on to the start-up group";
    EXPECT_EQ(events_.keyIndexes, (std::vector<std::int16_t>{0, 1}));
    EXPECT_EQ(events_.keyCodes, (std::vector<std::int16_t>{13, 13}));

    // Other keys go on to the box as usual.
    ::SetFocus(Ctrl(Ctl::txtTime1));
    PressKey(VK_DOWN);
    EXPECT_EQ(events_.keyCodes.back(), VK_DOWN);
    EXPECT_EQ(ui_.ComboText(Ctl::txtTime1), "01");
    // A handler that clears the key code keeps the key from the box.
    events_.replaceKeyCode = 0;
    PressKey(VK_DOWN);
    EXPECT_EQ(ui_.ComboText(Ctl::txtTime1), "01");
}

TEST_F(WindowingTest, ButtonsReportClicksOnlyWhileEnabled) {
    ::SendMessageW(Ctrl(Ctl::cmdON), BM_CLICK, 0, 0);
    ::SendMessageW(Ctrl(Ctl::Command5), BM_CLICK, 0, 0);  // disabled at creation
    ::SendMessageW(Ctrl(Ctl::Command2), BM_CLICK, 0, 0);
    Pump();
    EXPECT_EQ(events_.Count("cmdON_Click"), 1);
    EXPECT_EQ(events_.Count("Command5_Click"), 0);
    EXPECT_EQ(events_.Count("Command2_Click"), 1);

    // Access keys: Alt+C presses Command5 once it is enabled.
    ui_.SetEnabled(Ctl::Command5, true);
    ui_.Show();
    ::SetFocus(Ctrl(Ctl::Command2));
    MSG alt{ui_.MainWindow(), WM_SYSCHAR, 'c', 0x20000001, 0, {}};
    alt.hwnd = ::GetFocus();
    ui_.Dispatch(alt);
    Pump();
    EXPECT_EQ(events_.Count("Command5_Click"), 1);
    // Enter presses the focused button; the window itself has no default button.
    ::SetFocus(Ctrl(Ctl::Command2));
    PressKey(VK_RETURN);
    EXPECT_EQ(events_.Count("Command2_Click"), 2);
    ::SetFocus(Ctrl(Ctl::Option1_0));
    PressKey(VK_RETURN);
    PressKey(VK_ESCAPE);
    EXPECT_EQ(
        events_.Count("cmdON_Click") + events_.Count("Command2_Click") + events_.Count("Command5_Click"), 4);
}

TEST_F(WindowingTest, DisablingTheFocusedButtonMovesTheFocusOn) {
    ui_.Show();
    ui_.SetEnabled(Ctl::Command5, true);
    ::SetFocus(Ctrl(Ctl::cmdON));
    ui_.SetEnabled(Ctl::cmdON, false);
    EXPECT_FALSE(ui_.Enabled(Ctl::cmdON));
    EXPECT_EQ(::GetFocus(), Ctrl(Ctl::Command5));
}

TEST_F(WindowingTest, WindowMessagesReachTheirHandlers) {
    HWND main = ui_.MainWindow();
    // The tray's callback: x carries the mouse message, reported in twips.
    ::PostMessageW(main, WM_MOUSEMOVE, 1, MAKELPARAM(517, 0));
    Pump();
    ASSERT_EQ(events_.Count("Form_MouseMove"), 1);
    const float twipsPerPixel = static_cast<float>(std::lround(1440.0 / dpi_));
    EXPECT_EQ(ui_.TwipsPerPixelX(), twipsPerPixel);
    EXPECT_EQ(events_.lastX, 517.0f * twipsPerPixel);
    EXPECT_EQ(events_.lastY, 0.0f);

    // A real pointer move at the same place is not a tray event, however wide the window is.
    POINT at{517, 0};
    ASSERT_TRUE(::ClientToScreen(main, &at));
    ASSERT_TRUE(::SetCursorPos(at.x, at.y));
    POINT now{};
    ASSERT_TRUE(::GetCursorPos(&now));
    ASSERT_EQ(now.x, at.x) << "the pointer could not be placed";
    ::PostMessageW(main, WM_MOUSEMOVE, 0, MAKELPARAM(517, 0));
    Pump();
    EXPECT_EQ(events_.Count("Form_MouseMove"), 1);
    ::SetCursorPos(0, 0);

    EXPECT_EQ(::SendMessageW(main, WM_QUERYENDSESSION, 0, 0), TRUE);
    events_.allowEndSession = false;
    EXPECT_EQ(::SendMessageW(main, WM_QUERYENDSESSION, 0, 0), FALSE);
    ::SendMessageW(main, WM_ENDSESSION, FALSE, 0);
    ::SendMessageW(main, WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(events_.Count("Form_EndSession(false)"), 1);
    EXPECT_EQ(events_.Count("Form_EndSession(true)"), 1);
    ::SendMessageW(main, ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_EQ(events_.Count("TaskbarCreated"), 1);

    // Menu commands go to the menu form's handlers.
    const std::vector<std::pair<int, std::string>> commands{
        {301, "mnuOpen_Click"}, {302, "mnuClose_Click"}, {304, "mnuweb_Click"}, {305, "mnuVer_Click"}};
    for (const auto& [id, handler] : commands) {
        ::SendMessageW(main, WM_COMMAND, MAKEWPARAM(id, 0), 0);
        EXPECT_EQ(events_.Count(handler), 1) << handler;
    }
}

TEST_F(WindowingTest, CloseAsksTheUnloadHandlerAndDestroysOnlyWhenNotCancelled) {
    HWND main = ui_.MainWindow();
    ui_.Show();
    ::SendMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(::IsWindow(main)) << "Cancel 1 keeps the window";
    events_.throwInUnload = true;
    ::SendMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(::IsWindow(main)) << "a failing handler neither escapes nor closes the window";
    events_.throwInUnload = false;
    events_.unloadCancel = 0;
    ::SendMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_FALSE(::IsWindow(main));
    EXPECT_EQ(events_.Count("Form_Unload"), 3);
    EXPECT_EQ(ui_.MainWindow(), nullptr);
    Drain();
}

TEST_F(WindowingTest, TimersTickFromCreationUntilStopped) {
    Pump(1300);
    EXPECT_GE(events_.Count("Timer1_Timer"), 1);
    EXPECT_GE(events_.Count("Timer2_Timer"), 1);
    ui_.SetTimerInterval(Timer::Timer1, 0);
    const int timer1 = events_.Count("Timer1_Timer");
    const int timer2 = events_.Count("Timer2_Timer");
    Pump(1300);
    EXPECT_EQ(events_.Count("Timer1_Timer"), timer1);
    EXPECT_GT(events_.Count("Timer2_Timer"), timer2);
}

// A 16 x 16, 32-bit icon file.
std::string IconFileBytes(std::uint32_t colour) {
    std::string bytes;
    auto put16 = [&](std::uint16_t v) { bytes.append(reinterpret_cast<const char*>(&v), 2); };
    auto put32 = [&](std::uint32_t v) { bytes.append(reinterpret_cast<const char*>(&v), 4); };
    const std::uint32_t imageSize = 40 + 16 * 16 * 4 + 16 * 4;
    put16(0), put16(1), put16(1);
    bytes += std::string{16, 16, 0, 0};
    put16(1), put16(32), put32(imageSize), put32(22);
    put32(40), put32(16), put32(32), put16(1), put16(32), put32(0), put32(16 * 16 * 4 + 16 * 4);
    put32(0), put32(0), put32(0), put32(0);
    for (int i = 0; i < 16 * 16; ++i)
        put32(colour);
    for (int i = 0; i < 16; ++i)
        put32(0);
    return bytes;
}

std::wstring WriteTempIcon(const wchar_t* name, std::uint32_t colour) {
    wchar_t dir[MAX_PATH];
    ::GetTempPathW(MAX_PATH, dir);
    const std::wstring path = std::wstring(dir) + name;
    const std::string bytes = IconFileBytes(colour);
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    return path;
}

bool IsLiveIcon(Handle handle) {
    ICONINFO info{};
    if (!::GetIconInfo(reinterpret_cast<HICON>(handle), &info)) return false;
    if (info.hbmColor != nullptr) ::DeleteObject(info.hbmColor);
    if (info.hbmMask != nullptr) ::DeleteObject(info.hbmMask);
    return true;
}

TEST_F(WindowingTest, IconsFromFilesReplaceTheWindowIconAndLiveWhileATryCarriesThem) {
    const std::wstring red = WriteTempIcon(L"velt-red.ico", 0xFFFF0000u);
    const std::wstring green = WriteTempIcon(L"velt-green.ico", 0xFF00FF00u);
    const std::string missing = "C:\\no\\such\\VELTPOWON.ico";
    // This test program has no picture of its own: the system's stands in, never an empty slot.
    EXPECT_TRUE(IsLiveIcon(ui_.IconHandle()));
    try {
        ui_.SetIconFromFile(missing);
        ADD_FAILURE() << "a missing file must throw";
    } catch (const PlatformError& e) {
        EXPECT_EQ(e.path(), missing);
    }

    ui_.SetIconFromFile(WideToUtf8(red));
    const Handle first = ui_.IconHandle();
    ASSERT_NE(first, 0u);
    EXPECT_EQ(::SendMessageW(ui_.MainWindow(), WM_GETICON, ICON_BIG, 0), static_cast<LRESULT>(first));
    auto carried = ui_.HoldIcon();  // as a try of the tray takes it
    ui_.SetIconFromFile(WideToUtf8(green));
    const Handle second = ui_.IconHandle();
    EXPECT_NE(second, first);
    EXPECT_EQ(::SendMessageW(ui_.MainWindow(), WM_GETICON, ICON_BIG, 0), static_cast<LRESULT>(second));
    EXPECT_TRUE(IsLiveIcon(first)) << "a try still carries it";
    carried.reset();
    EXPECT_FALSE(IsLiveIcon(first)) << "freed with the last try that carried it";
    EXPECT_TRUE(IsLiveIcon(second)) << "the window's own";
    ::DeleteFileW(red.c_str());
    ::DeleteFileW(green.c_str());
}

// ---------------------------------------------------------------- the menu form

TEST_F(WindowingTest, MenuFormCarriesTheTrayMenuAndNeverShows) {
    EXPECT_EQ(ui_.MenuFormWindow(), nullptr) << "created when the menu is first touched";
    ui_.SetMenuVisible(MenuItem::mnuTray, false);
    HWND form = ui_.MenuFormWindow();
    ASSERT_NE(form, nullptr);
    EXPECT_FALSE(::IsWindowVisible(form));
    EXPECT_NE(::GetWindowLongPtrW(form, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);
    EXPECT_EQ(::GetWindowLongPtrW(form, GWL_STYLE) & WS_CAPTION, 0);
    EXPECT_EQ(::GetMenu(form), nullptr) << "the invisible top entry leaves no menu bar";

    HMENU popup = ui_.TrayMenu();
    ASSERT_EQ(::GetMenuItemCount(popup), 5);
    const std::vector<std::string> captions{"Velt_PCタイマー終了を開く(&O)",
                                            "Velt_PCタイマー終了を終了する(&X)", "",
                                            "Velt Development Webサイト(&W)", "バージョン情報(&A)"};
    const std::vector<UINT> ids{301, 302, 0, 304, 305};
    for (int i = 0; i < 5; ++i) {
        wchar_t text[128] = L"";
        ::GetMenuStringW(popup, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
        EXPECT_EQ(WideToUtf8(text), captions[static_cast<std::size_t>(i)]) << i;
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID;
        ::GetMenuItemInfoW(popup, static_cast<UINT>(i), TRUE, &info);
        EXPECT_EQ((info.fType & MFT_SEPARATOR) != 0, i == 2) << i;
        if (i != 2) {
            EXPECT_EQ(info.wID, ids[static_cast<std::size_t>(i)]) << i;
        }
    }
    ui_.SetMenuVisible(MenuItem::mnuTray, true);
    EXPECT_NE(::GetMenu(form), nullptr);
    ui_.SetMenuVisible(MenuItem::mnuweb, false);
    EXPECT_EQ(::GetMenuItemCount(popup), 4);
}

// ---------------------------------------------------------------- the About window

TEST_F(WindowingTest, AboutIsCreatedOnceLoadedBeforeShownAndClosedByOkEnterEscOrCloseBox) {
    bool visibleDuringLoad = true;
    events_.onAboutLoad = [&] {
        visibleDuringLoad = ::IsWindowVisible(ui_.AboutWindow()) != FALSE;
        ui_.SetAboutCaption(AboutCtl::frmAbout, "title set by load");
        ui_.SetAboutCaption(AboutCtl::lblVersion, "version set by load");
    };
    events_.onOk = [this] { ui_.CloseAbout(); };

    ui_.ShowAbout();
    HWND about = ui_.AboutWindow();
    ASSERT_NE(about, nullptr);
    EXPECT_FALSE(visibleDuringLoad);
    EXPECT_TRUE(::IsWindowVisible(about));
    EXPECT_EQ(TextOf(about), "title set by load");
    EXPECT_EQ(TextOf(ui_.AboutControlWindow(AboutControl::lblVersion)), "version set by load");
    ui_.ShowAbout();
    EXPECT_EQ(ui_.AboutWindow(), about) << "a second show brings the same window forward";
    EXPECT_EQ(events_.Count("About.Form_Load"), 1);
    EXPECT_NE(::GetWindowLongPtrW(about, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);

    // Enter, Esc, the button and the close box each close it; every new show loads again.
    const std::vector<std::function<void()>> closers{
        [&] { ::SendMessageW(ui_.AboutControlWindow(AboutControl::cmdOK), BM_CLICK, 0, 0); },
        [&] { PressKey(VK_RETURN); },
        [&] { PressKey(VK_ESCAPE); },
        [&] { ::SendMessageW(ui_.AboutWindow(), WM_CLOSE, 0, 0); },
    };
    for (std::size_t i = 0; i < closers.size(); ++i) {
        if (ui_.AboutWindow() == nullptr) ui_.ShowAbout();
        ::SetFocus(ui_.AboutControlWindow(AboutControl::cmdOK));
        closers[i]();
        Pump();
        EXPECT_EQ(ui_.AboutWindow(), nullptr) << "closer " << i;
    }
    EXPECT_EQ(events_.Count("About.cmdOK_Click"), 3) << "the close box closes without the OK handler";
    EXPECT_EQ(events_.Count("About.Form_Load"), 4);
}

TEST_F(WindowingTest, AboutControlsSitWhereDesignedWithTheirLooks) {
    ui_.ShowAbout();
    HWND about = ui_.AboutWindow();
    ASSERT_NE(about, nullptr);
    const int dpi = static_cast<int>(ui_.AboutDpi());
    RECT client{};
    ::GetClientRect(about, &client);
    EXPECT_EQ(client.right, Px(6480, dpi));
    EXPECT_EQ(client.bottom, Px(3600, dpi));
    for (const ui::AboutControlLayout& c : ui::kAboutControls) {
        SCOPED_TRACE(c.name);
        HWND hwnd = ui_.AboutControlWindow(c.control);
        ASSERT_NE(hwnd, nullptr);
        EXPECT_EQ(::GetDlgCtrlID(hwnd), c.id);
        EXPECT_EQ(::GetParent(hwnd), about);
        const ui::PixelRect expected = PxRect(c.rect, dpi);
        const ui::PixelRect actual = RectInParent(hwnd);
        EXPECT_EQ(actual.left, expected.left);
        EXPECT_EQ(actual.top, expected.top);
        if (c.kind != Kind::Picture) {
            EXPECT_EQ(TextOf(hwnd), c.text);
            EXPECT_EQ(actual.width, expected.width);
            EXPECT_EQ(actual.height, expected.height);
        }
    }
    EXPECT_EQ(::GetWindowLongPtrW(ui_.AboutControlWindow(AboutControl::cmdOK), GWL_STYLE) & 0xF,
              BS_DEFPUSHBUTTON);

    LOGFONTW font{};
    auto versionFont = reinterpret_cast<HFONT>(
        ::SendMessageW(ui_.AboutControlWindow(AboutControl::lblVersion), WM_GETFONT, 0, 0));
    ASSERT_NE(::GetObjectW(versionFont, sizeof font, &font), 0);
    EXPECT_EQ(WideToUtf8(font.lfFaceName), "ＭＳ Ｐゴシック");
    EXPECT_EQ(font.lfWeight, 700);
    EXPECT_EQ(font.lfCharSet, SHIFTJIS_CHARSET);
    EXPECT_EQ(font.lfHeight, -std::lround(9.75 * dpi / 72.0));
    EXPECT_FALSE(font.lfItalic);
    EXPECT_FALSE(font.lfUnderline);

    // The address reports clicks and shows the hand over it.
    HWND link = ui_.AboutControlWindow(AboutControl::Label2);
    ::SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    ::SendMessageW(link, WM_LBUTTONUP, 0, 0);
    Pump();
    EXPECT_EQ(events_.Count("About.Label2_Click"), 1);
    ::SendMessageW(about, WM_SETCURSOR, reinterpret_cast<WPARAM>(link), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));
    ui_.CloseAbout();
    EXPECT_EQ(ui_.AboutWindow(), nullptr);
}

// The decoder is loaded only when a picture is first needed; each of the three formats the
// windows use comes out at the size the file has.
TEST(Pictures, EachWindowPictureDecodesAtItsOwnSize) {
    struct Row {
        int id;
        LONG width, height;
    };
    for (const Row& row :
         {Row{IDR_BACKGROUND, 753, 297}, Row{IDR_BUTTON_FACE, 120, 34}, Row{IDR_LOGO, 94, 58}}) {
        const UniqueBitmap bitmap = LoadPictureResource(::GetModuleHandleW(nullptr), row.id);
        const SIZE size = BitmapSize(bitmap.get());
        EXPECT_EQ(row.width, size.cx) << "picture " << row.id;
        EXPECT_EQ(row.height, size.cy) << "picture " << row.id;
    }
}

}  // namespace
}  // namespace velt::platform::win32
