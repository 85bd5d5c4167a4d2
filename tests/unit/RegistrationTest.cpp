#include <gtest/gtest.h>

#include "doubles/Harness.h"

namespace velt {
namespace {

using platform::Ctl;

class Registration : public ::testing::Test {
protected:
    Registration() {
        h.FillTimeLists();
        h.ui[Ctl::lblKAKU].caption = "未登録です。";
    }
    void Pick(Ctl action, const char* hour, const char* minute, bool atStart = true) {
        h.ui.SetValue(action, true);
        h.ui[Ctl::txtTime0].caption = hour;
        h.ui[Ctl::txtTime1].caption = minute;
        h.ui.SetValue(atStart ? Ctl::optSTART0 : Ctl::optSTART1, true);
        h.log.Clear();
    }
    test::Harness h;
};

TEST_F(Registration, RegistersRestartAtTheChosenTimeInOrder) {
    Pick(Ctl::Option1_1, "23", "30");
    h.ui.timer1 = 0;  // stopped by an earlier trigger
    h.frm.cmdON_Click();

    EXPECT_EQ(h.frm.ActionCode, "1");
    EXPECT_EQ(h.frm.TargetTime[0], "23");
    EXPECT_EQ(h.frm.TargetTime[1], "30");
    EXPECT_EQ(h.frm.TargetTime[3], "23:30");
    EXPECT_EQ(h.ui.Caption(Ctl::lblKAKU), " 再起動を23:30に実行します。");
    EXPECT_EQ(h.frm.TrayTip, " 再起動を23:30に実行します。");
    EXPECT_EQ(h.Tip(), " 再起動を23:30に実行します。");
    EXPECT_EQ(h.ui.iconPath, h.OnIcon());
    EXPECT_EQ(h.ui.timer1, 1000u);
    EXPECT_TRUE(h.ui.Enabled(Ctl::Command5));
    EXPECT_FALSE(h.ui.Enabled(Ctl::cmdON));
    EXPECT_EQ(h.api.files[h.api.SettingsPath()], "1\r\n23\r\n30\r\nTrue\r\n");

    const std::vector<std::string> order = h.log.Only(
        {"Timer1.", "SetCaption", "SetIconFromFile", "Shell_NotifyIconA", "SetEnabled", "Replace"});
    const std::vector<std::string> expected = {
        "Timer1.Interval=1000",
        "SetCaption(lblKAKU,再起動)",
        "SetCaption(lblKAKU, 再起動を23:30に実行します。)",
        "SetIconFromFile(" + h.OnIcon() + ")",
        "Shell_NotifyIconA(NIM_DELETE)",
        "Shell_NotifyIconA(NIM_ADD)",
        "SetEnabled(Command5,true)",
        "SetEnabled(cmdON,false)",
        "ReplaceFileContents(" + h.api.SettingsPath() + ")",
    };
    EXPECT_EQ(order, expected);
}

TEST_F(Registration, SentencesAndCodesForEachAction) {
    struct Case {
        Ctl option;
        const char* hour;
        const char* minute;
        bool atStart;
        const char* code;
        const char* sentence;
        const char* file;
    };
    const Case cases[] = {
        {Ctl::Option1_0, "00", "00", true, "0", " ログオフを00:00に実行します。",
         "0\r\n00\r\n00\r\nTrue\r\n"},
        {Ctl::Option1_1, "07", "05", false, "1", " 再起動を07:05に実行します。",
         "1\r\n07\r\n05\r\nFalse\r\n"},
        {Ctl::Option1_2, "23", "45", false, "2", " 電源を切るを23:45に実行します。",
         "2\r\n23\r\n45\r\nFalse\r\n"},
        {Ctl::Option1_2, "23", "59", true, "2", " 電源を切るを23:59に実行します。",
         "2\r\n23\r\n59\r\nTrue\r\n"},
    };
    for (const auto& c : cases) {
        test::Harness fresh;
        fresh.FillTimeLists();
        fresh.ui.SetValue(c.option, true);
        fresh.ui[Ctl::txtTime0].caption = c.hour;
        fresh.ui[Ctl::txtTime1].caption = c.minute;
        fresh.ui.SetValue(c.atStart ? Ctl::optSTART0 : Ctl::optSTART1, true);
        fresh.frm.cmdON_Click();
        EXPECT_EQ(fresh.frm.ActionCode, c.code);
        EXPECT_EQ(fresh.ui.Caption(Ctl::lblKAKU), c.sentence);
        EXPECT_EQ(fresh.api.files[fresh.api.SettingsPath()], c.file);
        EXPECT_TRUE(fresh.ui.messages.empty());
    }
}

TEST_F(Registration, RefusesOutOfRangeTimesWithTheMatchingMessage) {
    struct Case {
        const char* hour;
        const char* minute;
        const char* message;  // nullptr: registers
        Ctl focus;
    };
    const Case cases[] = {
        {"23", "59", nullptr, Ctl::cmdON},
        {"23.5", "59", nullptr, Ctl::cmdON},
        {"24", "00", "0～23までの数値を入力して下さい。", Ctl::txtTime0},
        {"-1", "00", "0～23までの数値を入力して下さい。", Ctl::txtTime0},
        {"&H18", "00", "0～23までの数値を入力して下さい。", Ctl::txtTime0},
        {"00", "60", "0～59までの数値を入力して下さい。", Ctl::txtTime1},
        {"00", "59.5", "0～59までの数値を入力して下さい。", Ctl::txtTime1},
        {"00", "-0.5", "0～59までの数値を入力して下さい。", Ctl::txtTime1},
        {"24", "60", "0～23までの数値を入力して下さい。", Ctl::txtTime0},  // both: only the hour
        {"", "", nullptr, Ctl::cmdON},                                     // empty reads as 0
    };
    for (const auto& c : cases) {
        test::Harness fresh;
        fresh.ui[Ctl::lblKAKU].caption = "未登録です。";
        fresh.ui[Ctl::txtTime0].caption = c.hour;
        fresh.ui[Ctl::txtTime1].caption = c.minute;
        fresh.ui.timer1 = 0;
        fresh.frm.cmdON_Click();
        if (c.message == nullptr) {
            EXPECT_TRUE(fresh.ui.messages.empty()) << c.hour << ":" << c.minute;
            EXPECT_EQ(fresh.frm.TargetTime[3], std::string(c.hour) + ":" + c.minute);
            continue;
        }
        ASSERT_EQ(fresh.ui.messages.size(), 1u) << c.hour << ":" << c.minute;
        EXPECT_EQ(fresh.ui.messages[0], c.message);
        EXPECT_EQ(fresh.log.entries.back(), std::string("SetFocus(") + test::CtlName(c.focus) + ")");
        EXPECT_TRUE(fresh.log.Contains("MsgBox(" + std::string(c.message) + "|0|Velt_PCタイマー終了)"));
        // Nothing else has changed.
        EXPECT_EQ(fresh.ui.timer1, 0u);
        EXPECT_EQ(fresh.frm.ActionCode, "");
        EXPECT_EQ(fresh.frm.TargetTime[3], "");
        EXPECT_EQ(fresh.ui.Caption(Ctl::lblKAKU), "未登録です。");
        EXPECT_TRUE(fresh.api.files.empty());
        EXPECT_TRUE(fresh.api.notifyRecords.empty());
    }
}

TEST_F(Registration, KeysAreTheTextsAsTheyStand) {
    Pick(Ctl::Option1_0, "7", "5");
    h.frm.cmdON_Click();
    EXPECT_EQ(h.frm.TargetTime[3], "7:5");
}

TEST_F(Registration, AMissingIconStopsTheStepsButKeepsTheKeyAndTellsTheUser) {
    Pick(Ctl::Option1_2, "12", "30");
    h.ui.missingFiles.insert(h.OnIcon());
    h.frm.cmdON_Click();
    EXPECT_EQ(h.frm.TargetTime[3], "12:30");
    EXPECT_EQ(h.ui.Caption(Ctl::lblKAKU), " 電源を切るを12:30に実行します。");
    EXPECT_TRUE(h.ui.Enabled(Ctl::cmdON));
    EXPECT_FALSE(h.ui.Enabled(Ctl::Command5));
    EXPECT_TRUE(h.api.notifyRecords.empty());
    EXPECT_TRUE(h.api.files.empty());
    ASSERT_EQ(h.ui.messages.size(), 1u);
    EXPECT_EQ(h.ui.messages[0].rfind("VELTPOWON.ico ", 0), 0u) << h.ui.messages[0];
}

// With no menu handle to be had (the USER object quota), the registration is still whole, so that
// what is armed can be cancelled; the menu is made when it is first opened.
TEST_F(Registration, CompletesWithoutAMenuWhichIsMadeWhenFirstOpened) {
    for (const bool menuBackByThen : {true, false}) {
        test::Harness fresh;
        fresh.FillTimeLists();
        fresh.ui.menuRefused = true;
        fresh.ui.SetValue(Ctl::Option1_1, true);
        fresh.ui[Ctl::txtTime0].caption = "06";
        fresh.ui[Ctl::txtTime1].caption = "15";
        fresh.frm.cmdON_Click();
        EXPECT_TRUE(fresh.ui.Enabled(Ctl::Command5)) << menuBackByThen;
        EXPECT_FALSE(fresh.ui.Enabled(Ctl::cmdON)) << menuBackByThen;
        EXPECT_EQ(fresh.api.files[fresh.api.SettingsPath()], "1\r\n06\r\n15\r\nFalse\r\n") << menuBackByThen;
        EXPECT_TRUE(fresh.ui.messages.empty()) << menuBackByThen;
        EXPECT_EQ(fresh.api.shellIcons.size(), 1u) << menuBackByThen;

        fresh.ui.menuRefused = !menuBackByThen;
        if (menuBackByThen) {
            fresh.frm.Form_MouseMove(0, 0, 517 * 15, 0);
        } else {
            // The window procedure's guard takes it; the next right-click tries again.
            EXPECT_THROW(fresh.frm.Form_MouseMove(0, 0, 517 * 15, 0), std::runtime_error);
        }
        EXPECT_EQ(fresh.ui.menuFormLoaded, menuBackByThen);
        EXPECT_FALSE(fresh.ui.trayMenuVisible) << "the top entry stays hidden";
    }
}

TEST_F(Registration, AnUnwritableSettingsFileIsReportedAfterEverythingElse) {
    h.api.files[h.api.SettingsPath()] = "0\r\n00\r\n00\r\nTrue\r\n";
    h.api.unwritable.insert(h.api.SettingsPath());
    Pick(Ctl::Option1_1, "06", "15");
    h.frm.cmdON_Click();
    EXPECT_FALSE(h.ui.Enabled(Ctl::cmdON));
    EXPECT_TRUE(h.ui.Enabled(Ctl::Command5));
    EXPECT_EQ(h.Tip(), " 再起動を06:15に実行します。");
    EXPECT_EQ(h.api.files[h.api.SettingsPath()], "0\r\n00\r\n00\r\nTrue\r\n");
    ASSERT_EQ(h.ui.messages.size(), 1u);
    EXPECT_EQ(h.ui.messages[0].rfind("set.ini ", 0), 0u) << h.ui.messages[0];
}

TEST_F(Registration, CancellationOnlyDisarmsAndPutsTheViewBack) {
    Pick(Ctl::Option1_1, "23", "30");
    h.frm.cmdON_Click();
    const std::string file = h.api.files[h.api.SettingsPath()];
    const auto tip = h.Tip();
    const std::size_t trayCalls = h.api.notifyRecords.size();
    h.log.Clear();

    h.frm.Command5_Click();
    EXPECT_EQ(
        h.log.Only({"SetCaption", "SetEnabled", "SetIconFromFile"}),
        (std::vector<std::string>{"SetCaption(lblKAKU,未登録です。)", "SetEnabled(cmdON,true)",
                                  "SetIconFromFile(" + h.OffIcon() + ")", "SetEnabled(Command5,false)"}));
    EXPECT_EQ(h.frm.TargetTime[3], "");
    EXPECT_EQ(h.frm.TargetTime[0], "23");
    EXPECT_EQ(h.frm.TargetTime[1], "30");
    EXPECT_EQ(h.frm.ActionCode, "1");
    EXPECT_EQ(h.frm.TrayTip, " 再起動を23:30に実行します。");
    EXPECT_EQ(h.Tip(), tip);
    EXPECT_EQ(h.api.notifyRecords.size(), trayCalls);
    EXPECT_EQ(h.api.files[h.api.SettingsPath()], file);
    EXPECT_EQ(h.ui.timer1, 1000u);

    // A new registration replaces everything.
    Pick(Ctl::Option1_2, "05", "10", false);
    h.frm.cmdON_Click();
    EXPECT_EQ(h.frm.ActionCode, "2");
    EXPECT_EQ(h.frm.TargetTime[3], "05:10");
    EXPECT_EQ(h.api.files[h.api.SettingsPath()], "2\r\n05\r\n10\r\nFalse\r\n");
}

TEST_F(Registration, CancellingWithoutTheOffIconStillDisablesTheCancelButton) {
    Pick(Ctl::Option1_0, "01", "02");
    h.frm.cmdON_Click();
    h.ui.missingFiles.insert(h.OffIcon());
    h.frm.Command5_Click();
    EXPECT_EQ(h.frm.TargetTime[3], "");
    EXPECT_TRUE(h.ui.Enabled(Ctl::cmdON));
    EXPECT_FALSE(h.ui.Enabled(Ctl::Command5));
}

}  // namespace
}  // namespace velt
