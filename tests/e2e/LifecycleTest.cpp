// The program's life: start-up with and without set.ini (and from the unpacked release zip), one
// instance only, closing the window only hides it, the exit button.
#include <gtest/gtest.h>

#include <memory>

#include "MainView.h"

namespace velt::e2e {
namespace {

class LifecycleBase : public testing::Test {
protected:
    void SetUp() override {
        // Every test starts with an empty notification area.
        int icons = 0;
        ASSERT_TRUE(WaitTrayIcons(0, 5s, &icons)) << icons << " tray icons are left from before";
    }

};

// ---------------------------------------------------------------- start-up

struct StartCase {
    const char* name;
    const wchar_t* folder;
    std::optional<std::string> settings;  // nullopt: no set.ini
    int action;
    const char* hour;
    const char* minute;
    int atStart;
    bool registered;
    std::string fileAfter;
    Picture tray;
    const char* tip;
};

// The very first start writes the defaults and then registers them at once.
const StartCase kFirstStart{"FirstStartInAnEmptyFolder",
                            L"first-start",
                            std::nullopt,
                            0,
                            "00",
                            "00",
                            0,
                            true,
                            "0\r\n00\r\n00\r\nTrue\r\n",
                            Picture::On,
                            " ログオフを00:00に実行します。"};

class StartUpChecks : public LifecycleBase {
protected:
    // Starts the program in `folder`, which holds set.ini as `c.settings` has it: it must come up
    // hidden in the state `c` gives, with one tray icon, having added only set.ini. `took` is how
    // long coming up took.
    static void ExpectComesUpAs(const AppFolder& folder, const StartCase& c, Millis& took);
};

void StartUpChecks::ExpectComesUpAs(const AppFolder& folder, const StartCase& c, Millis& took) {
    if (c.registered) {
        StayClearOf(std::stoi(c.hour), std::stoi(c.minute));
    }
    Program program(folder);
    const std::optional<Millis> idle = program.WaitInputIdle(5s);
    ASSERT_NE(nullptr, program.WaitMainWindow(5s)) << "no main window";

    const MainState expected = Expected(c.action, c.hour, c.minute, c.atStart, c.registered);
    MainState seen;
    const std::optional<Millis> up = WaitSettled(
        program, idle,
        [&] { return (seen = ReadState(program)) == expected && folder.ReadSettings() == c.fileAfter; }, 5s);
    took = up.value_or(program.SinceStart());
    EXPECT_TRUE(up) << seen << "\nset.ini: " << folder.ReadSettings().value_or("(none)");

    std::string tray;
    EXPECT_TRUE(WaitTrayPicture(c.tray, 3s, &tray)) << "the tray shows " << tray;
    EXPECT_EQ(c.tip, HoverTrayTip(c.tip));
    EXPECT_FALSE(program.HasMessageBox()) << "start-up reported something";
    for (HWND top : TopLevelWindows(program.Pid())) {
        EXPECT_FALSE(::IsWindowVisible(top)) << ClassOf(top) << " \"" << TextOf(top) << "\" is visible";
    }
    std::set<std::wstring> allowed = folder.InitialEntries();
    allowed.insert(L"set.ini");
    EXPECT_EQ(allowed, folder.Entries());
    EXPECT_TRUE(program.Running());
}

class StartUp : public StartUpChecks, public testing::WithParamInterface<StartCase> {};

TEST_P(StartUp, ComesUpHiddenInTheStateItsSettingsGive) {
    const StartCase c = GetParam();
    ExpectUpInTime([&](Millis& took) {
        AppFolder folder(c.folder);
        if (c.settings) {
            folder.WriteSettings(*c.settings);
        }
        ExpectComesUpAs(folder, c, took);
    });
}

INSTANTIATE_TEST_SUITE_P(
    Settings, StartUp,
    testing::Values(
        kFirstStart,
        StartCase{"FirstStartInAFolderWithAJapaneseNameAndBlanks", L"最初の 起動 フォルダ", std::nullopt, 0,
                  "00", "00", 0, true, "0\r\n00\r\n00\r\nTrue\r\n", Picture::On,
                  " ログオフを00:00に実行します。"},
        // "False" registers nothing: the tray keeps the program's own icon ("停止中").
        StartCase{"SavedFalseRegistersNothing", L"saved-false", "2\r\n23\r\n45\r\nFalse\r\n", 2, "23", "45",
                  1, false, "2\r\n23\r\n45\r\nFalse\r\n", Picture::Program, "停止中"},
        StartCase{"SavedTrueRegistersTheSavedSchedule", L"saved-true", "1\r\n07\r\n30\r\nTrue\r\n", 1, "07",
                  "30", 0, true, "1\r\n07\r\n30\r\nTrue\r\n", Picture::On, " 再起動を07:30に実行します。"},
        // Read back by the rules: any letter case, a number; the registration rewrites it.
        StartCase{"SavedNumberOneIsTrue", L"saved-one", "2\r\n18\r\n05\r\n1\r\n", 2, "18", "05", 0, true,
                  "2\r\n18\r\n05\r\nTrue\r\n", Picture::On, " 電源を切るを18:05に実行します。"},
        StartCase{"SavedLowerCaseTrue", L"saved-lower", "0\r\n09\r\n59\r\ntrue\r\n", 0, "09", "59", 0, true,
                  "0\r\n09\r\n59\r\nTrue\r\n", Picture::On, " ログオフを09:59に実行します。"},
        StartCase{"SavedCommaShiftsTheFields", L"saved-comma", "1\r\n07,30\r\n00\r\nTrue\r\n", 1, "07", "30",
                  1, false, "1\r\n07,30\r\n00\r\nTrue\r\n", Picture::Program, "停止中"},
        StartCase{"SavedSixLinesUseFour", L"saved-six", "2\r\n21\r\n15\r\nFalse\r\n1\r\nTrue\r\n", 2, "21",
                  "15", 1, false, "2\r\n21\r\n15\r\nFalse\r\n1\r\nTrue\r\n", Picture::Program, "停止中"},
        StartCase{"SavedUnknownActionAndTimesLeaveTheFirstEntries", L"saved-unknown",
                  "3\r\n24\r\n7\r\nyes\r\n", 0, "00", "00", 1, false, "3\r\n24\r\n7\r\nyes\r\n",
                  Picture::Program, "停止中"}),
    [](const testing::TestParamInfo<StartCase>& p) { return std::string(p.param.name); });

// ---------------------------------------------------------------- the release zip

// The zip as a user gets it, unpacked on the host into a folder with a Japanese name
// (unpack-zip.sh): only the program, its icons and readme.txt, and a first start from there.
class Package : public StartUpChecks {};

TEST_F(Package, UnpackedIntoAJapaneseFolderItStartsAsOnAFirstStart) {
    ASSERT_FALSE(Cfg().unpacked.empty()) << "no --unpacked= folder given";
    AppFolder folder(AppFolder::Filled{Cfg().unpacked});
    ASSERT_EQ(
        (std::set<std::wstring>{L"VeltPCTimer.exe", L"VELTPOWON.ico", L"VELTPOWOFF.ico", L"readme.txt"}),
        folder.InitialEntries());
    ExpectUpInTime([&](Millis& took) {
        // A second start must be a first start again.
        WaitUntil(
            [&] {
                return ::DeleteFileW(folder.Settings().c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND;
            },
            3s);
        ExpectComesUpAs(folder, kFirstStart, took);
    });
}

// ---------------------------------------------------------------- one instance

constexpr char kQuietStart[] = "1\r\n12\r\n00\r\nFalse\r\n";

class Lifecycle : public LifecycleBase {};

TEST_F(Lifecycle, SecondStartSaysAlreadyRunningAndEndsLeavingTheFirstAlone) {
    AppFolder folder(L"second-start");
    folder.WriteSettings(kQuietStart);
    Program first(folder);
    ASSERT_TRUE(WaitStartedUp(first));
    const MainState firstState = Expected(1, "12", "00", 1, false);
    ASSERT_EQ(firstState, WaitState(first, firstState, 3s));

    Program second(folder);
    const HWND box = second.WaitMessageBox(5s);
    ASSERT_NE(nullptr, box) << "the second start showed no message";
    const MessageBoxView view = ReadMessageBox(box);
    EXPECT_EQ("既に起動されています。", view.text);
    EXPECT_EQ(kAppTitle, view.caption);
    EXPECT_EQ(std::set<int>{IDOK}, view.buttons);
    EXPECT_FALSE(view.hasIcon);
    EXPECT_TRUE(WaitTrayIcons(1)) << "the second start put up a tray icon";

    Click(::GetDlgItem(box, IDOK));
    const std::optional<DWORD> code = second.WaitExit(5s);
    ASSERT_TRUE(code.has_value()) << "the second start did not end after OK";
    EXPECT_EQ(0u, *code);

    EXPECT_TRUE(first.Running());
    EXPECT_FALSE(first.HasMessageBox());
    EXPECT_EQ(firstState, WaitState(first, firstState, 3s));
    EXPECT_TRUE(WaitTrayIcons(1));
    EXPECT_EQ(kQuietStart, folder.ReadSettings()) << "set.ini was touched";
}

TEST_F(Lifecycle, TwentySimultaneousStartsLeaveExactlyOneRunning) {
    AppFolder folder(L"twenty");
    folder.WriteSettings(kQuietStart);
    std::vector<std::unique_ptr<Program>> starts;
    for (int i = 0; i < 20; ++i) {
        starts.push_back(std::make_unique<Program>(folder));
        ASSERT_NE(0u, starts.back()->Pid()) << "start " << i << " failed";
    }

    // Nineteen say "already running"; the one that says nothing is the program.
    auto boxes = [&] {
        int n = 0;
        for (const auto& p : starts) {
            n += p->HasMessageBox() ? 1 : 0;
        }
        return n;
    };
    EXPECT_TRUE(WaitUntil([&] { return boxes() == 19; }, 90s)) << boxes() << " message boxes";
    Program* survivor = nullptr;
    int silent = 0;
    for (const auto& p : starts) {
        if (!p->HasMessageBox()) {
            survivor = p.get();
            ++silent;
        }
    }
    ASSERT_EQ(1, silent);
    ASSERT_TRUE(WaitStartedUp(*survivor));

    for (const auto& p : starts) {
        if (p.get() == survivor) {
            continue;
        }
        const HWND box = p->WaitMessageBox(1s);
        ASSERT_NE(nullptr, box);
        EXPECT_EQ("既に起動されています。", ReadMessageBox(box).text);
        Click(::GetDlgItem(box, IDOK));
    }
    for (const auto& p : starts) {
        if (p.get() != survivor) {
            EXPECT_EQ(std::optional<DWORD>(0), p->WaitExit(10s)) << "pid " << p->Pid();
        }
    }
    EXPECT_TRUE(survivor->Running());
    EXPECT_TRUE(WaitTrayIcons(1));
    const MainState expected = Expected(1, "12", "00", 1, false);
    EXPECT_EQ(expected, WaitState(*survivor, expected, 3s));
    EXPECT_EQ(kQuietStart, folder.ReadSettings());
}

TEST_F(Lifecycle, TrayTipFollowsRegistrationCancelAndClose) {
    StayClearOf(23, 30);
    StayClearOf(23, 45);
    AppFolder folder(L"tray-tip");
    folder.WriteSettings(kQuietStart);
    Program program(folder);
    ASSERT_TRUE(WaitStartedUp(program));
    EXPECT_EQ("停止中", HoverTrayTip("停止中"));

    ASSERT_TRUE(ShowMain(program));
    MainState seen;
    ASSERT_TRUE(PickInputs(program, 1, 23, 30, 1, seen)) << seen;
    Click(program.Control(Id(Ctl::cmdON)));
    EXPECT_EQ(" 再起動を23:30に実行します。", HoverTrayTip(" 再起動を23:30に実行します。"));

    // Cancelling leaves the tray as it was...
    Click(program.Control(Id(Ctl::Command5)));
    ASSERT_TRUE(WaitUntil([&] { return ReadState(program).status == kNotRegistered; }, 3s));
    EXPECT_EQ(" 再起動を23:30に実行します。", HoverTrayTip(" 再起動を23:30に実行します。"));
    // ...until the window is closed with nothing registered.
    ::PostMessageW(program.Main(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(program.Main()); }, 3s));
    EXPECT_EQ(kNotRegistered, HoverTrayTip(kNotRegistered));

    // The longest sentence the lists allow: 32 bytes in Shift-JIS, whole in the tip.
    ASSERT_TRUE(ShowMain(program));
    ASSERT_TRUE(PickInputs(program, 2, 23, 45, 1, seen)) << seen;
    Click(program.Control(Id(Ctl::cmdON)));
    EXPECT_EQ(" 電源を切るを23:45に実行します。", HoverTrayTip(" 電源を切るを23:45に実行します。"));
    EXPECT_EQ(32u, ToAnsi(" 電源を切るを23:45に実行します。").size());
    EXPECT_TRUE(program.Running());
}

// ---------------------------------------------------------------- closing and exit

enum class CloseBy { CloseMessage, SystemMenu, AltF4 };

struct CloseCase {
    const char* name;
    CloseBy by;
    bool registered;
};

class Closing : public LifecycleBase, public testing::WithParamInterface<CloseCase> {};

TEST_P(Closing, ClosingOnlyHidesAndSaysNotRegisteredWhenNothingIs) {
    const CloseCase c = GetParam();
    StayClearOf(20, 10);
    AppFolder folder(L"closing");
    const std::string settings = c.registered ? "2\r\n20\r\n10\r\nTrue\r\n" : "2\r\n20\r\n10\r\nFalse\r\n";
    folder.WriteSettings(settings);
    Program program(folder);
    ASSERT_TRUE(WaitStartedUp(program));
    MainState state = Expected(2, "20", "10", c.registered ? 0 : 1, c.registered);
    ASSERT_EQ(state, WaitState(program, state, 3s));
    const Picture before = c.registered ? Picture::On : Picture::Program;
    std::string tray;
    ASSERT_TRUE(WaitTrayPicture(before, 3s, &tray)) << "the tray shows " << tray;

    program.PostTrayEvent(WM_LBUTTONDBLCLK);
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(program.Main()) != FALSE; }, 3s));
    switch (c.by) {
    case CloseBy::CloseMessage: ::PostMessageW(program.Main(), WM_CLOSE, 0, 0); break;
    case CloseBy::SystemMenu: ::PostMessageW(program.Main(), WM_SYSCOMMAND, SC_CLOSE, 0); break;
    case CloseBy::AltF4:
        ::PostMessageW(program.Main(), WM_SYSKEYDOWN, VK_F4, static_cast<LPARAM>(0x20000001));
        break;
    }
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(program.Main()); }, 3s)) << "the window stays";
    EXPECT_TRUE(::IsWindow(program.Main())) << "the window was destroyed";
    EXPECT_TRUE(program.Running());

    // With nothing registered the tray says so with the "off" picture; otherwise it stays.
    const Picture after = c.registered ? Picture::On : Picture::Off;
    EXPECT_TRUE(WaitTrayPicture(after, 3s, &tray)) << "the tray shows " << tray;
    EXPECT_EQ(state, WaitState(program, state, 3s));

    program.PostTrayEvent(WM_LBUTTONDBLCLK);
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(program.Main()) != FALSE; }, 3s));
    EXPECT_TRUE(WaitUntil([&] { return PictureAt(CaptionIconRect(program.Main())) == after; }, 3s))
        << "the title bar shows " << NameOf(PictureAt(CaptionIconRect(program.Main())));
    state.visible = true;
    EXPECT_EQ(state, WaitState(program, state, 3s));
    EXPECT_EQ(settings, folder.ReadSettings());
}

INSTANTIATE_TEST_SUITE_P(
    Ways, Closing,
    testing::Values(CloseCase{"CloseMessageNothingRegistered", CloseBy::CloseMessage, false},
                    CloseCase{"CloseMessageRegistered", CloseBy::CloseMessage, true},
                    CloseCase{"SystemMenuNothingRegistered", CloseBy::SystemMenu, false},
                    CloseCase{"AltF4Registered", CloseBy::AltF4, true}),
    [](const testing::TestParamInfo<CloseCase>& p) { return std::string(p.param.name); });

TEST_F(Lifecycle, ExitButtonAsksAndEndsOnlyOnYes) {
    AppFolder folder(L"exit-button");
    folder.WriteSettings(kQuietStart);
    Program program(folder);
    ASSERT_TRUE(WaitStartedUp(program));
    program.PostTrayEvent(WM_LBUTTONDBLCLK);
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(program.Main()) != FALSE; }, 3s));
    const HWND exitButton = program.Control(Id(Ctl::Command2));

    Click(exitButton);
    HWND box = program.WaitMessageBox(3s);
    ASSERT_NE(nullptr, box);
    const MessageBoxView view = ReadMessageBox(box);
    EXPECT_EQ("終了してもよろしいでしょうか？", view.text);
    EXPECT_EQ(kAppTitle, view.caption);
    EXPECT_EQ((std::set<int>{IDYES, IDNO}), view.buttons);
    EXPECT_TRUE(view.hasIcon) << "the question mark is missing";

    Click(::GetDlgItem(box, IDNO));
    EXPECT_TRUE(WaitUntil([&] { return !program.HasMessageBox(); }, 3s));
    EXPECT_FALSE(program.WaitExit(500ms).has_value()) << "No ended the program";
    EXPECT_TRUE(::IsWindowVisible(program.Main()));
    EXPECT_TRUE(WaitTrayIcons(1));

    Click(exitButton);
    box = program.WaitMessageBox(3s);
    ASSERT_NE(nullptr, box);
    Click(::GetDlgItem(box, IDYES));
    EXPECT_EQ(std::optional<DWORD>(0), program.WaitExit(5s)) << "Yes did not end the program";
    EXPECT_TRUE(WaitTrayIcons(0)) << "the tray icon stayed";
    EXPECT_EQ(kQuietStart, folder.ReadSettings()) << "exit wrote set.ini";
}

}  // namespace
}  // namespace velt::e2e
