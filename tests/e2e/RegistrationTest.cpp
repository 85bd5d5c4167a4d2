// Registering and cancelling from the main window, as a user does it: pick the action, the
// hour and minute and the start-up option, press 登録(&R), read the status, the buttons, the
// window icon and set.ini; cancel with 取り消し(&C).
#include <gtest/gtest.h>

#include "MainView.h"

namespace velt::e2e {
namespace {

constexpr char kNothingAtStart[] = "0\r\n00\r\n00\r\nFalse\r\n";

class RegistrationBase : public testing::Test {
protected:
    void Start() {
        folder_.WriteSettings(kNothingAtStart);
        program_.emplace(folder_);
        ASSERT_TRUE(WaitStartedUp(*program_));
        ASSERT_TRUE(ShowMain(*program_));
        MainState shown = Expected(0, "00", "00", 1, false);
        shown.visible = true;
        ASSERT_EQ(shown, WaitState(*program_, shown, 3s));
    }

    void TearDown() override {
        if (program_) {
            EXPECT_TRUE(program_->Running()) << "the program ended by itself";
            EXPECT_FALSE(program_->HasMessageBox()) << "a message box is left open";
        }
        if (!::testing::Test::HasFatalFailure()) {
            // Nothing but set.ini appears beside the program.
            std::set<std::wstring> allowed = folder_.InitialEntries();
            allowed.insert(L"set.ini");
            EXPECT_EQ(allowed, folder_.Entries());
        }
    }

    HWND Control(Ctl ctl) const { return program_->Control(Id(ctl)); }
    // Waits until the title bar and the tray show these pictures; says what they showed if not.
    std::string PicturesAre(Picture caption, Picture tray) const {
        Picture seenCaption = Picture::Off, seenTray = Picture::Off;
        bool trayOne = false;
        const bool ok = WaitUntil(
            [&] {
                seenCaption = PictureAt(CaptionIconRect(program_->Main()));
                const std::optional<RECT> icon = TrayIconRect();
                trayOne = icon.has_value();
                seenTray = icon ? PictureAt(*icon) : Picture::Off;
                return seenCaption == caption && trayOne && seenTray == tray;
            },
            3s);
        if (ok) {
            return "";
        }
        return std::string("title bar: ") + NameOf(seenCaption) +
               ", tray: " + (trayOne ? NameOf(seenTray) : "not exactly one icon");
    }

    // Picks the inputs as a user does: an option is clicked, a list entry chosen.
    void Pick(int action, int hour, int minute, int atStart) {
        MainState seen;
        ASSERT_TRUE(PickInputs(*program_, action, hour, minute, atStart, seen)) << seen;
    }

    MainState Shown(int action, int hour, int minute, int atStart, bool registered) const {
        MainState state = Expected(action, TwoDigits(hour), TwoDigits(minute), atStart, registered);
        state.visible = true;
        return state;
    }

    bool SettingsBecome(const std::string& bytes) const {
        return WaitUntil([&] { return folder_.ReadSettings() == bytes; }, 3s);
    }

    AppFolder folder_{L"registration"};
    std::optional<Program> program_;
};

struct Choice {
    const char* name;
    int action;
    int hour;
    int minute;
    int atStart;
    const char* sentence;  // word for word
};

class Registration : public RegistrationBase, public testing::WithParamInterface<Choice> {};

TEST_P(Registration, RegisterShowsTheScheduleSavesItAndCancelDisarmsIt) {
    const Choice c = GetParam();
    StayClearOf(c.hour, c.minute);
    StayClearOf(12, 59);
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(Pick(c.action, c.hour, c.minute, c.atStart));
    EXPECT_EQ("", PicturesAre(Picture::Program, Picture::Program));

    Click(Control(Ctl::cmdON));
    const MainState registered = Shown(c.action, c.hour, c.minute, c.atStart, true);
    EXPECT_EQ(registered, WaitState(*program_, registered, 3s));
    EXPECT_EQ(c.sentence, TextOf(Control(Ctl::lblKAKU)));
    const std::string saved = SettingsBytes(c.action, TwoDigits(c.hour), TwoDigits(c.minute), c.atStart == 0);
    EXPECT_TRUE(SettingsBecome(saved)) << "set.ini: " << folder_.ReadSettings().value_or("(none)");
    EXPECT_EQ("", PicturesAre(Picture::On, Picture::On));
    EXPECT_FALSE(program_->HasMessageBox());

    Click(Control(Ctl::Command5));
    const MainState cancelled = Shown(c.action, c.hour, c.minute, c.atStart, false);
    EXPECT_EQ(cancelled, WaitState(*program_, cancelled, 3s));
    EXPECT_EQ(saved, folder_.ReadSettings()) << "cancelling rewrote set.ini";
    // The window shows "off"; the tray keeps "on" until the window is next closed.
    EXPECT_EQ("", PicturesAre(Picture::Off, Picture::On));

    // A new registration with another action and time replaces the old one, file included.
    const int other = (c.action + 1) % 3;
    ASSERT_NO_FATAL_FAILURE(Pick(other, 12, 59, 1 - c.atStart));
    Click(Control(Ctl::cmdON));
    const MainState again = Shown(other, 12, 59, 1 - c.atStart, true);
    EXPECT_EQ(again, WaitState(*program_, again, 3s));
    EXPECT_EQ("", PicturesAre(Picture::On, Picture::On));
    EXPECT_TRUE(SettingsBecome(SettingsBytes(other, "12", "59", c.atStart == 1)))
        << "set.ini: " << folder_.ReadSettings().value_or("(none)");
}

INSTANTIATE_TEST_SUITE_P(
    Choices, Registration,
    testing::Values(Choice{"RestartAt2330AtStart", 1, 23, 30, 0, " 再起動を23:30に実行します。"},
                    Choice{"RestartAt2330NotAtStart", 1, 23, 30, 1, " 再起動を23:30に実行します。"},
                    Choice{"PowerOffAt2345NotAtStart", 2, 23, 45, 1, " 電源を切るを23:45に実行します。"},
                    Choice{"LogOffAt0000AtStart", 0, 0, 0, 0, " ログオフを00:00に実行します。"},
                    Choice{"LogOffAt0705AtStart", 0, 7, 5, 0, " ログオフを07:05に実行します。"}),
    [](const testing::TestParamInfo<Choice>& p) { return std::string(p.param.name); });

class RegistrationKeys : public RegistrationBase {
protected:
    // Alt and a letter, as the keyboard delivers it to the focused control.
    void AltKey(char letter) {
        const HWND focus = FocusOf(program_->UiThread());
        const HWND target = focus != nullptr ? focus : program_->Main();
        ::PostMessageW(target, WM_SYSCHAR, static_cast<WPARAM>(letter), static_cast<LPARAM>(0x20000001));
    }
};

TEST_F(RegistrationKeys, AltRRegistersAltCCancelsAltEAsksToExit) {
    StayClearOf(6, 15);
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(Pick(2, 6, 15, 1));

    AltKey('r');
    const MainState registered = Shown(2, 6, 15, 1, true);
    EXPECT_EQ(registered, WaitState(*program_, registered, 3s)) << "Alt+R did not register";

    AltKey('c');
    const MainState cancelled = Shown(2, 6, 15, 1, false);
    EXPECT_EQ(cancelled, WaitState(*program_, cancelled, 3s)) << "Alt+C did not cancel";

    AltKey('e');
    const HWND box = program_->WaitMessageBox(3s);
    ASSERT_NE(nullptr, box) << "Alt+E did not ask whether to exit";
    const MessageBoxView view = ReadMessageBox(box);
    EXPECT_EQ("終了してもよろしいでしょうか？", view.text);
    Click(::GetDlgItem(box, IDNO));
    EXPECT_TRUE(WaitUntil([&] { return !program_->HasMessageBox(); }, 3s));
    EXPECT_TRUE(program_->Running());
}

}  // namespace
}  // namespace velt::e2e
