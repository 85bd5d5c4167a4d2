// The main window as a user and a screen reader meet it: its controls, their places at 96 DPI,
// texts and states, the two clocks, hiding at start-up, the tray callback and the keyboard.
#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>

#include "MainView.h"

namespace velt::e2e {
namespace {

// A start-up that registers nothing and leaves every input at its first value.
constexpr char kNothingAtStart[] = "0\r\n00\r\n00\r\nFalse\r\n";

enum class Kind { Frame, Label, Option, List, PictureButton };

// The main window as laid out: kind, container, text and rectangle in twips.
struct LaidOut {
    Ctl ctl;
    const char* name;
    Kind kind;
    Ctl parent;
    const char* text;  // nullptr: written at run time
    int left, top, width, height;
    LONG align;  // labels: SS_LEFT, SS_CENTER or SS_RIGHT
};

constexpr LaidOut kLayout[] = {
    {Ctl::cmdON, "cmdON", Kind::PictureButton, Ctl::frmMain, "登録(&R)", 120, 3180, 1455, 315, 0},
    {Ctl::Frame2, "Frame2", Kind::Frame, Ctl::frmMain, "タイマー設定", 1620, 390, 2895, 1080, 0},
    {Ctl::txtTime1, "txtTime(1)", Kind::List, Ctl::Frame2, nullptr, 1980, 600, 735, 300, 0},
    {Ctl::txtTime0, "txtTime(0)", Kind::List, Ctl::Frame2, nullptr, 960, 600, 735, 300, 0},
    {Ctl::Label4, "Label4", Kind::Label, Ctl::Frame2, "分", 2700, 660, 255, 255, SS_CENTER},
    {Ctl::Label3, "Label3", Kind::Label, Ctl::Frame2, "時", 1680, 660, 255, 255, SS_CENTER},
    {Ctl::Label2, "Label2", Kind::Label, Ctl::Frame2, "開始時間", 0, 600, 960, 255, SS_CENTER},
    {Ctl::lblTIME, "lblTIME", Kind::Label, Ctl::Frame2, nullptr, 1200, 255, 1455, 255, SS_RIGHT},
    {Ctl::Label1, "Label1", Kind::Label, Ctl::Frame2, "現在の時間", 60, 270, 1035, 255, SS_CENTER},
    {Ctl::Frame1, "Frame1", Kind::Frame, Ctl::frmMain, "PC動作選択", 240, 375, 1275, 1095, 0},
    {Ctl::Option1_2, "Option1(2)", Kind::Option, Ctl::Frame1, "電源を切る", 60, 765, 1170, 255, 0},
    {Ctl::Option1_1, "Option1(1)", Kind::Option, Ctl::Frame1, "再起動", 60, 510, 1095, 255, 0},
    {Ctl::Option1_0, "Option1(0)", Kind::Option, Ctl::Frame1, "ログオフ", 60, 240, 1035, 255, 0},
    {Ctl::Command5, "Command5", Kind::PictureButton, Ctl::frmMain, "取り消し(&C)", 1680, 3180, 1395, 315, 0},
    {Ctl::Command2, "Command2", Kind::PictureButton, Ctl::frmMain, "終了(&E)", 3240, 3180, 1395, 315, 0},
    {Ctl::Frame3, "Frame3", Kind::Frame, Ctl::frmMain, "登録", 120, 120, 4530, 3015, 0},
    {Ctl::Frame5, "Frame5", Kind::Frame, Ctl::Frame3, "Windowsの状態", 1500, 1440, 2895, 855, 0},
    {Ctl::Label7, "Label7", Kind::Label, Ctl::Frame5, nullptr, 1200, 540, 1455, 255, SS_RIGHT},
    {Ctl::Label5, "Label5", Kind::Label, Ctl::Frame5, "OSが起動してからの経過時間", 120, 240, 2355, 255,
     SS_LEFT},
    {Ctl::Frame4, "Frame4", Kind::Frame, Ctl::Frame3, "起動時の設定", 120, 1440, 1275, 855, 0},
    {Ctl::optSTART1, "optSTART(1)", Kind::Option, Ctl::Frame4, "実行しない", 60, 540, 1155, 255, 0},
    {Ctl::optSTART0, "optSTART(0)", Kind::Option, Ctl::Frame4, "実行する", 60, 240, 1035, 255, 0},
    {Ctl::lblKAKU, "lblKAKU", Kind::Label, Ctl::Frame3, nullptr, 120, 2640, 4275, 255, SS_LEFT},
    {Ctl::Label6, "Label6", Kind::Label, Ctl::Frame3, "登録ステータス", 120, 2400, 1335, 255, SS_LEFT},
};

// 15 twips to a pixel at 96 DPI; every number of the table is a multiple of 15.
constexpr LONG Px(int twips) { return twips / 15; }

class MainWindow : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(96, ScreenDpi()) << "the expected pixels assume 96 DPI";
        folder_.WriteSettings(kNothingAtStart);
        program_.emplace(folder_);
        ASSERT_TRUE(WaitStartedUp(*program_)) << "the main window did not come up";
        const MainState expected = Expected(0, "00", "00", 1, false);
        ASSERT_EQ(expected, WaitState(*program_, expected, 3s));
    }

    void TearDown() override {
        if (program_) {
            EXPECT_TRUE(program_->Running()) << "the program ended by itself";
        }
    }

    static int ScreenDpi() {
        const HDC screen = ::GetDC(nullptr);
        const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
        ::ReleaseDC(nullptr, screen);
        return dpi;
    }

    HWND Control(Ctl ctl) const { return program_->Control(Id(ctl)); }
    HWND ContainerOf(Ctl parent) const { return parent == Ctl::frmMain ? program_->Main() : Control(parent); }

    void Show() {
        program_->PostTrayEvent(WM_LBUTTONDBLCLK);
        ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(program_->Main()) != FALSE; }, 3s))
            << "a double-click on the tray icon did not show the window";
    }

    // Gives the keyboard focus to a control of the program, as a click would.
    void FocusOn(HWND control) {
        const DWORD mine = ::GetCurrentThreadId();
        ::AttachThreadInput(mine, program_->UiThread(), TRUE);
        ::SetFocus(control);
        ::AttachThreadInput(mine, program_->UiThread(), FALSE);
    }

    HWND Focus() const { return FocusOf(program_->UiThread()); }

    // Presses a key in the focused control and waits until the focus has moved away from it.
    HWND PressAndFollowFocus(UINT key) {
        const HWND from = Focus();
        ::PostMessageW(from, WM_KEYDOWN, key, 1);
        ::PostMessageW(from, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
        WaitUntil([&] { return Focus() != from; }, 2s);
        return Focus();
    }

    std::string NameOf(HWND hwnd) const {
        for (const LaidOut& c : kLayout) {
            if (Control(c.ctl) == hwnd) {
                return c.name;
            }
        }
        return hwnd == nullptr ? "(nothing)" : "(" + ClassOf(hwnd) + " " + TextOf(hwnd) + ")";
    }

    AppFolder folder_{L"main-window"};
    std::optional<Program> program_;
};

TEST_F(MainWindow, EveryControlHasItsKindTextContainerAndPlace) {
    for (const LaidOut& c : kLayout) {
        SCOPED_TRACE(c.name);
        const HWND hwnd = Control(c.ctl);
        ASSERT_NE(nullptr, hwnd) << "no child window with ID " << Id(c.ctl);
        const HWND container = ContainerOf(c.parent);
        EXPECT_EQ(container, ::GetParent(hwnd)) << "not inside its container";

        const RECT r = RectIn(hwnd, container);
        EXPECT_EQ(Px(c.left), r.left);
        EXPECT_EQ(Px(c.top), r.top);
        EXPECT_EQ(Px(c.width), r.right - r.left);
        EXPECT_EQ(Px(c.height), r.bottom - r.top);
        if (c.text != nullptr) {
            EXPECT_EQ(c.text, TextOf(hwnd));
        }

        const LONG style = StyleOf(hwnd);
        switch (c.kind) {
        case Kind::Label:
            EXPECT_EQ("Static", ClassOf(hwnd));
            EXPECT_EQ(c.align, style & SS_TYPEMASK) << "alignment";
            break;
        case Kind::Option:
            EXPECT_EQ("Button", ClassOf(hwnd));
            EXPECT_TRUE((style & BS_TYPEMASK) == BS_AUTORADIOBUTTON ||
                        (style & BS_TYPEMASK) == BS_RADIOBUTTON)
                << "not an option button";
            break;
        case Kind::List:
            EXPECT_EQ("ComboBox", ClassOf(hwnd));
            EXPECT_EQ(CBS_DROPDOWNLIST, style & 3) << "takes typed text";
            break;
        case Kind::PictureButton:
            EXPECT_EQ("Button", ClassOf(hwnd));
            // A push button, and none is the window's default button.
            EXPECT_TRUE((style & BS_TYPEMASK) == BS_OWNERDRAW || (style & BS_TYPEMASK) == BS_PUSHBUTTON)
                << "style " << std::hex << style;
            break;
        case Kind::Frame: break;
        }
        EXPECT_TRUE(::IsWindowVisible(hwnd) || !::IsWindowVisible(program_->Main()));
        EXPECT_TRUE(StyleOf(hwnd) & WS_VISIBLE) << "the control itself is hidden";
    }

    const HWND kaku = Control(Ctl::lblKAKU);
    EXPECT_TRUE((StyleOf(kaku) & WS_BORDER) || (ExStyleOf(kaku) & (WS_EX_STATICEDGE | WS_EX_CLIENTEDGE)) ||
                (StyleOf(kaku) & SS_SUNKEN))
        << "lblKAKU has no single-line border";
}

TEST_F(MainWindow, IsAFixedDialogWindowOutsideTheTaskbar) {
    const HWND main = program_->Main();
    EXPECT_EQ(kMainTitle, TextOf(main));
    const SIZE client = ClientSize(main);
    EXPECT_EQ(Px(4755), client.cx);
    EXPECT_EQ(Px(3600), client.cy);

    const LONG style = StyleOf(main);
    const LONG ex = ExStyleOf(main);
    EXPECT_TRUE(style & WS_SYSMENU) << "no close box";
    EXPECT_TRUE((style & WS_CAPTION) == WS_CAPTION);
    EXPECT_FALSE(style & WS_THICKFRAME) << "resizable";
    EXPECT_FALSE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    // The shell leaves tool windows and owned windows out of the taskbar unless they ask in.
    const bool owned = ::GetWindow(main, GW_OWNER) != nullptr;
    EXPECT_TRUE(((ex & WS_EX_TOOLWINDOW) || owned) && !(ex & WS_EX_APPWINDOW))
        << "the window would get a taskbar button";

    // Nothing of the program is visible after start-up: no window, no hidden form shown.
    for (HWND top : TopLevelWindows(program_->Pid())) {
        EXPECT_FALSE(::IsWindowVisible(top)) << ClassOf(top) << " \"" << TextOf(top) << "\" is visible";
    }
}

TEST_F(MainWindow, TimeListsHoldTheirEntriesAndShowTheirFirst) {
    struct List {
        Ctl ctl;
        int count;
    };
    for (const List list : {List{Ctl::txtTime0, 24}, List{Ctl::txtTime1, 60}}) {
        const HWND combo = Control(list.ctl);
        SCOPED_TRACE(list.count);
        ASSERT_EQ(list.count, ComboCount(combo));
        for (int i = 0; i < list.count; ++i) {
            char two[3];
            std::snprintf(two, sizeof two, "%02d", i);
            EXPECT_EQ(two, ComboItem(combo, i)) << "item " << i;
        }
        EXPECT_EQ(0, ComboSelection(combo));
        EXPECT_EQ("00", TextOf(combo));
    }
}

TEST_F(MainWindow, ClockShowsLocalTimeAndElapsedTimeFollowsTheTickCount) {
    const HWND clock = Control(Ctl::lblTIME);
    const HWND elapsed = Control(Ctl::Label7);

    auto seconds = [](const std::string& text) -> long {
        int h = 0, m = 0, s = 0;
        char tail = 0;
        if (text.size() != 8 || std::sscanf(text.c_str(), "%2d:%2d:%2d%c", &h, &m, &s, &tail) != 3) {
            return -1;
        }
        return h * 3600L + m * 60L + s;
    };

    std::string firstClock, firstElapsed;
    ASSERT_TRUE(WaitUntil(
        [&] {
            firstClock = TextOf(clock);
            firstElapsed = TextOf(elapsed);
            return seconds(firstClock) >= 0 && seconds(firstElapsed) >= 0;
        },
        3s))
        << "lblTIME \"" << firstClock << "\", Label7 \"" << firstElapsed << "\"";

    // Both read what this computer says now, give or take the one-second tick.
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    const long local = now.wHour * 3600L + now.wMinute * 60L + now.wSecond;
    const long clockDiff = (local - seconds(firstClock) + 86400) % 86400;
    EXPECT_LE(clockDiff, 2) << "lblTIME " << firstClock << " against local time " << local;

    const unsigned long tick = ::GetTickCount() / 1000;
    const long tickShown = static_cast<long>((tick / 3600) % 100 * 3600 + tick % 3600);
    const long elapsedDiff = (tickShown - seconds(firstElapsed) + 360000) % 360000;
    EXPECT_LE(elapsedDiff, 2) << "Label7 " << firstElapsed << " against the tick count";

    // And they keep ticking while the window is hidden.
    EXPECT_TRUE(WaitUntil([&] { return TextOf(clock) != firstClock; }, 2500ms)) << "lblTIME stands still";
    EXPECT_TRUE(WaitUntil([&] { return TextOf(elapsed) != firstElapsed; }, 2500ms)) << "Label7 stands still";
    EXPECT_FALSE(::IsWindowVisible(program_->Main()));
}

TEST_F(MainWindow, DoubleClickOnTheTrayIconShowsItCentred) {
    Show();
    RECT r{};
    ::GetWindowRect(program_->Main(), &r);
    const int screenW = ::GetSystemMetrics(SM_CXSCREEN);
    const int screenH = ::GetSystemMetrics(SM_CYSCREEN);
    EXPECT_NEAR(screenW / 2.0, (r.left + r.right) / 2.0, 1.0);
    EXPECT_NEAR(screenH / 2.0, (r.top + r.bottom) / 2.0, 1.0);

    // A second double-click while it is shown changes nothing.
    program_->PostTrayEvent(WM_LBUTTONDBLCLK);
    Send(program_->Main(), WM_NULL);
    EXPECT_TRUE(::IsWindowVisible(program_->Main()));

    // The picture shows the clocks running: they are blank until the first tick.
    EXPECT_TRUE(WaitUntil(
        [&] { return !TextOf(Control(Ctl::lblTIME)).empty() && !TextOf(Control(Ctl::Label7)).empty(); }, 3s));
    EXPECT_TRUE(SaveScreenshot(program_->Main(), Cfg().shots + L"\\main-window.png"));
}

TEST_F(MainWindow, RightButtonUpOpensTheMenuAndOtherMouseCodesDoNothing) {
    // Left down and up, right down, right double-click, a plain move: nothing happens...
    for (int code : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONDBLCLK}) {
        program_->PostTrayEvent(code);
    }
    // ...which is certain once the right button's menu, posted after them, is open.
    program_->PostTrayEvent(WM_RBUTTONUP);
    const HWND menu = program_->WaitWindow("#32768", nullptr, 3s);
    ASSERT_NE(nullptr, menu) << "no popup menu after a right click on the tray icon";
    EXPECT_FALSE(::IsWindowVisible(program_->Main())) << "a mouse code other than 515 showed the window";

    ::PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_TRUE(WaitUntil([&] { return program_->FindWindowOf("#32768", nullptr) == nullptr; }, 3s))
        << "Esc did not close the menu";
    EXPECT_FALSE(::IsWindowVisible(program_->Main()));
}

TEST_F(MainWindow, TabAndEnterMoveTheFocusInTabOrder) {
    Show();
    FocusOn(Control(Ctl::cmdON));
    ASSERT_EQ(Control(Ctl::cmdON), Focus());

    // Tab: cmdON, (Command5 is disabled), Command2, the Option1 group, the hour, the minute,
    // the optSTART group, and round to cmdON.
    const std::vector<std::vector<Ctl>> order = {
        {Ctl::Command2},
        {Ctl::Option1_0, Ctl::Option1_1, Ctl::Option1_2},
        {Ctl::txtTime0},
        {Ctl::txtTime1},
        {Ctl::optSTART0, Ctl::optSTART1},
        {Ctl::cmdON},
    };
    for (const auto& stop : order) {
        const HWND now = PressAndFollowFocus(VK_TAB);
        bool expected = false;
        for (Ctl ctl : stop) {
            expected = expected || now == Control(ctl);
        }
        EXPECT_TRUE(expected) << "Tab went to " << NameOf(now);
        if (!expected) {
            return;
        }
    }

    // Enter in the hour box goes on to the minute box, and from there to the start-up option.
    FocusOn(Control(Ctl::txtTime0));
    HWND now = PressAndFollowFocus(VK_RETURN);
    EXPECT_EQ(Control(Ctl::txtTime1), now) << "Enter in the hour box went to " << NameOf(now);
    FocusOn(Control(Ctl::txtTime1));
    now = PressAndFollowFocus(VK_RETURN);
    EXPECT_TRUE(now == Control(Ctl::optSTART0) || now == Control(Ctl::optSTART1))
        << "Enter in the minute box went to " << NameOf(now);
    // The Enter key did not press anything on its way.
    EXPECT_EQ(kNotRegistered, TextOf(Control(Ctl::lblKAKU)));
    EXPECT_FALSE(program_->HasMessageBox());
}

}  // namespace
}  // namespace velt::e2e
