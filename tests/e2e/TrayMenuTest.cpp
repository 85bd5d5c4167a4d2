// The tray menu, chosen with its access keys (the entries of another process's popup menu
// cannot be read under Wine, but keys reach it), the About window, the maker's page and the
// shell's TaskbarCreated.
#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <sstream>

#include "MainView.h"
#include "ui/AboutLayout.h"

namespace velt::e2e {
namespace {

using ui::AboutControl;

constexpr char kQuietStart[] = "1\r\n12\r\n00\r\nFalse\r\n";
constexpr char kVersionText[] = "Velt_PCタイマー終了 Version.1.2.3";

constexpr LONG Px(int twips) { return twips / 15; }

class TrayMenuBase : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WaitTrayIcons(0, 5s)) << "tray icons left from before";
        folder_.WriteSettings(kQuietStart);
        program_.emplace(folder_);
        ASSERT_TRUE(WaitStartedUp(*program_));
    }

    void TearDown() override {
        if (program_ && expectRunning_) {
            EXPECT_TRUE(program_->Running()) << "the program ended by itself";
        }
    }

    // Opens the menu with a right click on the tray icon and chooses an entry by its key.
    void Choose(char accessKey) {
        program_->PostTrayEvent(WM_RBUTTONUP);
        const HWND menu = program_->WaitWindow("#32768", nullptr, 3s);
        ASSERT_NE(nullptr, menu) << "the tray menu did not open";
        ::PostMessageW(menu, WM_KEYDOWN, static_cast<WPARAM>(accessKey), 1);
        ASSERT_TRUE(WaitUntil([&] { return program_->FindWindowOf("#32768", nullptr) == nullptr; }, 3s))
            << "the menu stayed open after " << accessKey;
    }

    std::vector<HWND> AboutWindows() const {
        std::vector<HWND> found;
        for (HWND top : TopLevelWindows(program_->Pid())) {
            if (::IsWindowVisible(top) && TextOf(top) == kAboutTitle) {
                found.push_back(top);
            }
        }
        return found;
    }

    HWND OpenAbout() {
        Choose('A');
        HWND about = nullptr;
        WaitUntil(
            [&] {
                const std::vector<HWND> all = AboutWindows();
                about = all.size() == 1 ? all.front() : nullptr;
                return about != nullptr;
            },
            3s);
        return about;
    }

    std::vector<std::string> BrowserCalls() const {
        std::vector<std::string> lines;
        std::istringstream in(ReadWholeFile(Cfg().browserLog).value_or(""));
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        return lines;
    }

    AppFolder folder_{L"tray-menu"};
    std::optional<Program> program_;
    bool expectRunning_ = true;
};

class TrayMenu : public TrayMenuBase {};

TEST_F(TrayMenu, OpenShowsTheMainWindowAndChangesNothingWhenItIsShown) {
    ASSERT_NO_FATAL_FAILURE(Choose('O'));
    EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(program_->Main()) != FALSE; }, 3s));
    MainState state = Expected(1, "12", "00", 1, false);
    state.visible = true;
    EXPECT_EQ(state, WaitState(*program_, state, 3s));

    ASSERT_NO_FATAL_FAILURE(Choose('O'));
    EXPECT_EQ(state, WaitState(*program_, state, 3s));
    for (HWND top : TopLevelWindows(program_->Pid())) {
        EXPECT_TRUE(top == program_->Main() || !::IsWindowVisible(top))
            << ClassOf(top) << " \"" << TextOf(top) << "\" is visible too";
    }
}

TEST_F(TrayMenu, ArrowKeysMeetOpenExitWebSiteAndAboutInThatOrder) {
    // Down n times from the top and Enter: which entry ran shows its order. The separator is
    // skipped, and after the fourth entry the selection comes round to the first.
    auto choose = [&](int downs) {
        program_->PostTrayEvent(WM_RBUTTONUP);
        const HWND menu = program_->WaitWindow("#32768", nullptr, 3s);
        ASSERT_NE(nullptr, menu);
        for (int i = 0; i < downs; ++i) {
            ::PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 1);
        }
        ::PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 1);
        ASSERT_TRUE(WaitUntil([&] { return program_->FindWindowOf("#32768", nullptr) == nullptr; }, 3s));
    };
    const std::size_t calls = BrowserCalls().size();

    for (int downs : {1, 5}) {
        SCOPED_TRACE(downs);
        ASSERT_NO_FATAL_FAILURE(choose(downs));
        EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(program_->Main()) != FALSE; }, 3s))
            << "not Open";
        ::PostMessageW(program_->Main(), WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(program_->Main()); }, 3s));
    }

    ASSERT_NO_FATAL_FAILURE(choose(2));
    const HWND box = program_->WaitMessageBox(3s);
    ASSERT_NE(nullptr, box) << "the second entry is not Exit";
    EXPECT_EQ("終了してもよろしいでしょうか？", ReadMessageBox(box).text);
    Click(::GetDlgItem(box, IDCANCEL));
    ASSERT_TRUE(WaitUntil([&] { return !program_->HasMessageBox(); }, 3s));

    ASSERT_NO_FATAL_FAILURE(choose(3));
    EXPECT_TRUE(WaitUntil([&] { return BrowserCalls().size() == calls + 1; }, 15s))
        << "the third entry is not Web";

    ASSERT_NO_FATAL_FAILURE(choose(4));
    EXPECT_TRUE(WaitUntil([&] { return AboutWindows().size() == 1; }, 3s)) << "the fourth entry is not About";
    EXPECT_FALSE(program_->HasMessageBox());
    EXPECT_FALSE(::IsWindowVisible(program_->Main()));
}

TEST_F(TrayMenu, ExitAsksWithOkAndCancelAndEndsOnlyOnOk) {
    ASSERT_NO_FATAL_FAILURE(Choose('X'));
    HWND box = program_->WaitMessageBox(3s);
    ASSERT_NE(nullptr, box);
    const MessageBoxView view = ReadMessageBox(box);
    EXPECT_EQ("終了してもよろしいでしょうか？", view.text);
    EXPECT_EQ(kAppTitle, view.caption);
    EXPECT_EQ((std::set<int>{IDOK, IDCANCEL}), view.buttons);
    EXPECT_FALSE(view.hasIcon);

    Click(::GetDlgItem(box, IDCANCEL));
    EXPECT_TRUE(WaitUntil([&] { return !program_->HasMessageBox(); }, 3s));
    EXPECT_FALSE(program_->WaitExit(500ms).has_value()) << "Cancel ended the program";
    EXPECT_TRUE(WaitTrayIcons(1));

    ASSERT_NO_FATAL_FAILURE(Choose('X'));
    box = program_->WaitMessageBox(3s);
    ASSERT_NE(nullptr, box);
    Click(::GetDlgItem(box, IDOK));
    expectRunning_ = false;
    EXPECT_EQ(std::optional<DWORD>(0), program_->WaitExit(5s)) << "OK did not end the program";
    EXPECT_TRUE(WaitTrayIcons(0)) << "the tray icon stayed";
    EXPECT_EQ(kQuietStart, folder_.ReadSettings());
}

TEST_F(TrayMenu, WebSiteAndTheAboutAddressOpenTheMakersPageEachTime) {
    const std::size_t before = BrowserCalls().size();
    ASSERT_NO_FATAL_FAILURE(Choose('W'));
    EXPECT_TRUE(WaitUntil([&] { return BrowserCalls().size() == before + 1; }, 15s)) << "no browser opened";
    ASSERT_NO_FATAL_FAILURE(Choose('W'));
    EXPECT_TRUE(WaitUntil([&] { return BrowserCalls().size() == before + 2; }, 15s)) << "no second browser";

    const HWND about = OpenAbout();
    ASSERT_NE(nullptr, about);
    const HWND address = FindControl(about, ui::AboutControlId(AboutControl::Label2));
    ASSERT_NE(nullptr, address);
    const std::string url = TextOf(address);
    ::PostMessageW(address, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ::PostMessageW(address, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(WaitUntil([&] { return BrowserCalls().size() == before + 3; }, 15s))
        << "a click on the address opened no browser";

    // Every call asked for the address the About window shows: an http address on a
    // documentation domain.
    const std::vector<std::string> calls = BrowserCalls();
    for (std::size_t i = before; i < calls.size(); ++i) {
        EXPECT_EQ(url, calls[i]);
    }
    EXPECT_EQ(0u, url.rfind("http://", 0)) << url;
    const std::string host = url.substr(7, url.find('/', 7) - 7);
    EXPECT_TRUE(host.size() > 8 && host.compare(host.size() - 8, 8, ".example") == 0) << url;
}

TEST_F(TrayMenu, TaskbarCreatedPutsTheLostIconBack) {
    ASSERT_TRUE(WaitTrayIcons(1));
    // The shell loses the icon (as when Explorer restarts): take it away behind the program's back.
    NOTIFYICONDATAW gone{};
    gone.cbSize = sizeof gone;
    gone.hWnd = program_->Main();
    gone.uID = 1;
    ASSERT_TRUE(::Shell_NotifyIconW(NIM_DELETE, &gone)) << "the program's icon is not hWnd/1";
    ASSERT_TRUE(WaitTrayIcons(0));

    // The new shell tells every top-level window.
    const UINT taskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");
    ::PostMessageW(HWND_BROADCAST, taskbarCreated, 0, 0);
    std::string tray;
    EXPECT_TRUE(WaitTrayPicture(Picture::Program, 3s, &tray)) << "it came back as " << tray;
    EXPECT_EQ("停止中", HoverTrayTip("停止中"));
}

// ---------------------------------------------------------------- the About window

class About : public TrayMenuBase {};

struct AboutLaidOut {
    AboutControl control;
    const char* name;
    const char* cls;
    int left, top, width, height;
};

constexpr AboutLaidOut kAboutLayout[] = {
    {AboutControl::cmdOK, "cmdOK", "Button", 5085, 3180, 1260, 345},
    {AboutControl::Label6, "Label6", "Static", 1680, 630, 4695, 1005},
    {AboutControl::Label4, "Label4", "Static", 1005, 3300, 3975, 255},
    {AboutControl::Label5, "Label5", "Static", 2520, 2820, 855, 255},
    {AboutControl::Label3, "Label3", "Static", 3480, 2835, 375, 255},
    {AboutControl::Label2, "Label2", "Static", 3960, 2820, 2535, 255},
    {AboutControl::Label1, "Label1", "Static", 135, 1920, 6165, 825},
    {AboutControl::Image1, "Image1", "Static", 120, 120, 1410, 870},
    {AboutControl::lblVersion, "lblVersion", "Static", 1680, 240, 3885, 225},
};

TEST_F(About, ShowsTitleVersionNoticesAndLayout) {
    const HWND about = OpenAbout();
    ASSERT_NE(nullptr, about) << "no About window titled " << kAboutTitle;

    const SIZE client = ClientSize(about);
    EXPECT_EQ(Px(6480), client.cx);
    EXPECT_EQ(Px(3600), client.cy);
    const LONG style = StyleOf(about);
    EXPECT_TRUE(ExStyleOf(about) & WS_EX_TOOLWINDOW) << "not a tool window";
    EXPECT_FALSE(ExStyleOf(about) & WS_EX_APPWINDOW) << "in the taskbar";
    EXPECT_TRUE(style & WS_SYSMENU) << "no close box";
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    RECT r{};
    ::GetWindowRect(about, &r);
    EXPECT_NEAR(::GetSystemMetrics(SM_CXSCREEN) / 2.0, (r.left + r.right) / 2.0, 1.0) << "not centred";
    EXPECT_NEAR(::GetSystemMetrics(SM_CYSCREEN) / 2.0, (r.top + r.bottom) / 2.0, 1.0) << "not centred";

    for (const AboutLaidOut& c : kAboutLayout) {
        SCOPED_TRACE(c.name);
        const HWND hwnd = FindControl(about, ui::AboutControlId(c.control));
        ASSERT_NE(nullptr, hwnd);
        EXPECT_EQ(c.cls, ClassOf(hwnd));
        const RECT rc = RectIn(hwnd, about);
        EXPECT_EQ(Px(c.left), rc.left);
        EXPECT_EQ(Px(c.top), rc.top);
        EXPECT_EQ(Px(c.width), rc.right - rc.left);
        EXPECT_EQ(Px(c.height), rc.bottom - rc.top);
    }

    auto text = [&](AboutControl c) { return TextOf(FindControl(about, ui::AboutControlId(c))); };
    EXPECT_EQ(kVersionText, text(AboutControl::lblVersion));
    EXPECT_EQ("OK", text(AboutControl::cmdOK));
    EXPECT_EQ("最新情報", text(AboutControl::Label5));
    EXPECT_EQ("URL", text(AboutControl::Label3));

    // The notice on the terms of use: its heading rule, its blank runs and full-width commas.
    const std::string notice = text(AboutControl::Label6);
    const std::string rule = "────────";
    EXPECT_EQ(0u, notice.rfind(rule, 0)) << notice;
    EXPECT_NE(std::string::npos, notice.find(rule, rule.size())) << "the heading has no closing rule";
    EXPECT_NE(std::string::npos, notice.find("当人\u3000 ")) << "当人, U+3000, one blank";
    EXPECT_NE(std::string::npos, notice.find("結果，"));
    EXPECT_NE(std::string::npos, notice.find("場合，"));
    const std::size_t second = notice.find("■", notice.find("■") + 1);
    ASSERT_NE(std::string::npos, second) << "no second ■";
    EXPECT_EQ(std::string(21, ' '), notice.substr(second - 21, 21));
    EXPECT_NE(' ', notice[second - 22]) << "more than 21 blanks before the second ■";
    const std::size_t refrain = notice.find("ご遠慮");
    ASSERT_NE(std::string::npos, refrain);
    EXPECT_EQ(std::string(6, ' '), notice.substr(refrain - 6, 6));
    EXPECT_NE(' ', notice[refrain - 7]) << "more than 6 blanks before ご遠慮";

    EXPECT_NE(std::string::npos, text(AboutControl::Label1).find("著作権")) << "no copyright-law warning";
    const std::string copyright = text(AboutControl::Label4);
    EXPECT_NE(std::string::npos, copyright.find("Velt Development")) << copyright;
    EXPECT_TRUE(std::all_of(copyright.begin(), copyright.end(),
                            [](char ch) { return static_cast<unsigned char>(ch) < 0x80; }))
        << "not Latin: " << copyright;

    EXPECT_TRUE(SaveScreenshot(about, Cfg().shots + L"\\about-window.png"));
}

TEST_F(About, OneWindowAndEveryWayOfClosingItWorksAndItComesBackTheSame) {
    const HWND about = OpenAbout();
    ASSERT_NE(nullptr, about);

    // Chosen again while open: still one window.
    ASSERT_NO_FATAL_FAILURE(Choose('A'));
    EXPECT_EQ(1u, AboutWindows().size());
    Send(program_->Main(), WM_NULL);
    EXPECT_EQ(1u, AboutWindows().size());

    enum class Way { Escape, Enter, OkButton, CloseBox };
    for (Way way : {Way::Escape, Way::Enter, Way::OkButton, Way::CloseBox}) {
        SCOPED_TRACE(static_cast<int>(way));
        const HWND window = AboutWindows().empty() ? OpenAbout() : AboutWindows().front();
        ASSERT_NE(nullptr, window);
        EXPECT_EQ(kVersionText, TextOf(FindControl(window, ui::AboutControlId(AboutControl::lblVersion))));
        const HWND ok = FindControl(window, ui::AboutControlId(AboutControl::cmdOK));
        switch (way) {
        case Way::Escape:
        case Way::Enter: {
            const UINT key = way == Way::Escape ? VK_ESCAPE : VK_RETURN;
            const HWND focus = FocusOf(program_->UiThread());
            const HWND target = (focus != nullptr && ::IsChild(window, focus)) ? focus : ok;
            ::PostMessageW(target, WM_KEYDOWN, key, 1);
            ::PostMessageW(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
            break;
        }
        case Way::OkButton: Click(ok); break;
        case Way::CloseBox: ::PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0); break;
        }
        EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(window); }, 3s)) << "the About window stayed";
    }
    EXPECT_FALSE(::IsWindowVisible(program_->Main())) << "the About window showed the main window";
}

}  // namespace
}  // namespace velt::e2e
