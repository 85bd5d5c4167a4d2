#include <gtest/gtest.h>

#include "doubles/Harness.h"

namespace velt {
namespace {

using platform::Ctl;

class Startup : public ::testing::Test {
protected:
    std::string& File() { return h.api.files[h.api.SettingsPath()]; }
    test::Harness h;
};

TEST_F(Startup, TheVeryFirstStartRegistersALogOffAtMidnight) {
    h.frm.Form_Load();

    EXPECT_EQ(h.ui[Ctl::txtTime0].items.size(), 24u);
    EXPECT_EQ(h.ui[Ctl::txtTime0].items.front(), "00");
    EXPECT_EQ(h.ui[Ctl::txtTime0].items.back(), "23");
    EXPECT_EQ(h.ui[Ctl::txtTime1].items.size(), 60u);
    EXPECT_EQ(h.ui[Ctl::txtTime1].items.back(), "59");
    EXPECT_EQ(File(), "0\r\n00\r\n00\r\nTrue\r\n");
    EXPECT_EQ(h.frm.TargetTime[3], "00:00");
    EXPECT_EQ(h.frm.ActionCode, "0");
    EXPECT_EQ(h.Tip(), " ログオフを00:00に実行します。");
    EXPECT_EQ(h.ui.iconPath, h.OnIcon());
    EXPECT_FALSE(h.ui.visible);
    EXPECT_TRUE(h.ui.messages.empty());

    // What a cut-off save left is cleared away; the default file is written, not read back,
    // before the registration rewrites it.
    const auto files = h.log.Only({"RemoveLeftoverFiles", "ReplaceFileContents", "ReadFileHead"});
    const std::string write = "ReplaceFileContents(" + h.api.SettingsPath() + ")";
    EXPECT_EQ(files,
              (std::vector<std::string>{"RemoveLeftoverFiles(" + h.api.SettingsPath() + ")", write, write}));
    // The first refresh shows the designed icon with "停止中" and brings the menu form up.
    EXPECT_EQ(+h.api.notifyRecords.at(1).hIcon, 0x50u);
    EXPECT_EQ(h.api.FromAnsiCopy(h.api.notifyRecords.at(1).szTip), "停止中");
    EXPECT_LT(h.log.IndexOf("SetMenuVisible"), h.log.IndexOf("ReplaceFileContents"));
    EXPECT_EQ(h.log.entries.back(), "Hide");
}

TEST_F(Startup, ASavedTrueRegistersTheSavedScheduleAgain) {
    File() = "2\r\n23\r\n45\r\nTrue\r\n";
    h.frm.Form_Load();
    EXPECT_EQ(h.frm.ActionCode, "2");
    EXPECT_EQ(h.frm.TargetTime[3], "23:45");
    EXPECT_EQ(h.ui.Caption(Ctl::lblKAKU), " 電源を切るを23:45に実行します。");
    EXPECT_EQ(File(), "2\r\n23\r\n45\r\nTrue\r\n");
    EXPECT_FALSE(h.ui.visible);
}

TEST_F(Startup, ASavedFalseRegistersNothing) {
    File() = "1\r\n07\r\n30\r\nFalse\r\n";
    h.frm.Form_Load();
    EXPECT_EQ(h.frm.TargetTime[3], "");
    EXPECT_EQ(h.ui.Caption(Ctl::lblKAKU), "未登録です。");
    EXPECT_EQ(h.Tip(), "停止中");
    EXPECT_EQ(+h.frm.TrayData.hIcon, 0x50u);
    EXPECT_TRUE(h.ui.Value(Ctl::Option1_1));
    EXPECT_EQ(h.ui.ComboText(Ctl::txtTime0), "07");
    EXPECT_TRUE(h.ui.Value(Ctl::optSTART1));
    EXPECT_TRUE(h.ui.Enabled(Ctl::cmdON));
    EXPECT_EQ(File(), "1\r\n07\r\n30\r\nFalse\r\n");
    EXPECT_FALSE(h.log.Contains("ReplaceFileContents"));
}

TEST_F(Startup, ASecondInstanceOnlySaysSoAndEnds) {
    File() = "1\r\n07\r\n30\r\nTrue\r\n";
    h.api.anotherInstance = true;
    h.frm.Form_Load();
    EXPECT_EQ(h.log.entries, (std::vector<std::string>{"IsAnotherInstanceRunning",
                                                       "MsgBox(既に起動されています。|0|Velt_PCタイマー終了)",
                                                       "ExitProcess(0)"}));
}

TEST_F(Startup, AMissingOnIconLeavesTheKeySetAndStartUpGoesOn) {
    h.ui.missingFiles.insert(h.OnIcon());
    File() = "1\r\n06\r\n30\r\nTrue\r\n";
    h.frm.Form_Load();
    EXPECT_EQ(h.frm.TargetTime[3], "06:30");
    EXPECT_EQ(h.ui.Caption(Ctl::lblKAKU), " 再起動を06:30に実行します。");
    EXPECT_EQ(h.Tip(), "停止中");
    EXPECT_TRUE(h.ui.Enabled(Ctl::cmdON));
    EXPECT_FALSE(h.ui.Enabled(Ctl::Command5));
    EXPECT_FALSE(h.log.Contains("ReplaceFileContents"));
    EXPECT_TRUE(h.ui.messages.empty()) << "start-up reports nothing";
    EXPECT_FALSE(h.ui.visible);
    // ... and the clock fires it.
    h.api.localTime = {6, 30, 0};
    h.frm.Timer1_Timer();
    EXPECT_TRUE(h.log.Contains("ExitWindowsEx(2,0)"));
}

TEST_F(Startup, AnUnwritableFolderStillRegistersSilently) {
    h.api.unwritable.insert(h.api.SettingsPath());
    h.frm.Form_Load();
    EXPECT_TRUE(h.api.files.empty());
    EXPECT_EQ(h.frm.TargetTime[3], "00:00");
    EXPECT_FALSE(h.ui.Enabled(Ctl::cmdON));
    EXPECT_TRUE(h.ui.messages.empty());
    EXPECT_FALSE(h.ui.visible);
}

TEST_F(Startup, AFileThatCannotBeExaminedIsReadNotOverwritten) {
    File() = "1\r\n07\r\n30\r\nFalse\r\n";
    h.api.unexaminable.insert(h.api.SettingsPath());
    h.frm.Form_Load();
    EXPECT_EQ(File(), "1\r\n07\r\n30\r\nFalse\r\n");
    EXPECT_TRUE(h.ui.Value(Ctl::Option1_1));
    EXPECT_EQ(h.ui.ComboText(Ctl::txtTime1), "30");
}

// A leftover that may be the last save, out of reach at this start, or a set.ini that cannot be
// examined: the window and the tray still come up, but no defaults are written and nothing is armed.
TEST_F(Startup, WhatMayBeTheLastSaveIsNeverOverwrittenOrArmedOver) {
    for (const auto answer : {platform::SettingsAtStart::Hold, platform::SettingsAtStart::ReadOnly}) {
        test::Harness fresh;
        fresh.api.leftoversAnswer = answer;
        fresh.frm.Form_Load();
        const int which = static_cast<int>(answer);
        EXPECT_TRUE(fresh.api.files.empty()) << which;
        EXPECT_EQ(fresh.frm.TargetTime[3], "") << which;
        EXPECT_EQ(fresh.ui.Caption(Ctl::lblKAKU), "未登録です。") << which;
        EXPECT_EQ(fresh.Tip(), "停止中") << which;
        EXPECT_EQ(fresh.api.shellIcons.size(), 1u) << which;
        EXPECT_FALSE(fresh.ui.visible) << which;
    }
}

TEST_F(Startup, ASettingsPathThatIsADirectoryIsNeitherReadNorReplaced) {
    h.api.directories.insert(h.api.SettingsPath());
    h.frm.Form_Load();
    EXPECT_TRUE(h.api.files.empty());
    EXPECT_EQ(h.frm.TargetTime[3], "00:00");
}

TEST_F(Startup, ClosingHidesAndWithNothingRegisteredShowsTheOffState) {
    File() = "0\r\n00\r\n00\r\nFalse\r\n";
    h.frm.Form_Load();
    h.ui.Show();
    h.log.Clear();

    std::int16_t cancel = 0;
    h.frm.Form_Unload(cancel);
    EXPECT_EQ(cancel, 1);
    EXPECT_FALSE(h.ui.visible);
    EXPECT_EQ(h.ui.iconPath, h.OffIcon());
    EXPECT_EQ(h.frm.TrayTip, "未登録です。");
    EXPECT_EQ(h.Tip(), "未登録です。");
    EXPECT_EQ(+h.frm.TrayData.hIcon, h.ui.iconHandle);
    EXPECT_EQ(
        h.log.Only({"SetIconFromFile", "Shell", "Hide"}),
        (std::vector<std::string>{"SetIconFromFile(" + h.OffIcon() + ")", "Shell_NotifyIconA(NIM_DELETE)",
                                  "Shell_NotifyIconA(NIM_ADD)", "Hide"}));
}

TEST_F(Startup, ClosingWhileRegisteredOnlyHides) {
    h.frm.Form_Load();
    h.ui.Show();
    h.log.Clear();
    std::int16_t cancel = 0;
    h.frm.Form_Unload(cancel);
    EXPECT_EQ(cancel, 1);
    EXPECT_EQ(h.log.entries, std::vector<std::string>{"Hide"});
}

TEST_F(Startup, ClosingAfterACancellationSwitchesTheTrayToOff) {
    h.frm.Form_Load();
    h.frm.Command5_Click();
    EXPECT_EQ(h.Tip(), " ログオフを00:00に実行します。");
    std::int16_t cancel = 0;
    h.frm.Form_Unload(cancel);
    EXPECT_EQ(h.Tip(), "未登録です。");
}

TEST_F(Startup, ClosingWithoutTheOffIconStillHidesAndUpdatesTheTip) {
    File() = "0\r\n00\r\n00\r\nFalse\r\n";
    h.frm.Form_Load();
    h.ui.Show();
    h.ui.missingFiles.insert(h.OffIcon());
    std::int16_t cancel = 0;
    h.frm.Form_Unload(cancel);
    EXPECT_FALSE(h.ui.visible);
    EXPECT_EQ(h.Tip(), "未登録です。");
}

TEST_F(Startup, TheExitButtonAsksAndOnYesEndsWithoutCloseHandling) {
    h.frm.Form_Load();
    h.log.Clear();
    h.ui.answers = {platform::IDNO};
    h.frm.Command2_Click();
    EXPECT_EQ(h.log.entries,
              std::vector<std::string>{"MsgBox(終了してもよろしいでしょうか？|36|Velt_PCタイマー終了)"});
    h.log.Clear();
    h.ui.answers = {platform::IDYES};
    h.frm.Command2_Click();
    EXPECT_EQ(h.log.Only({"Shell", "ExitProcess", "SetIcon", "Hide"}),
              (std::vector<std::string>{"Shell_NotifyIconA(NIM_DELETE)", "ExitProcess(0)"}));
    EXPECT_EQ(+h.api.notifyRecords.back().uFlags, 5u);
}

TEST_F(Startup, TheSessionMayAlwaysEndAndTheShellRestartBringsTheIconBack) {
    h.frm.Form_Load();
    EXPECT_TRUE(h.frm.Form_QueryEndSession());

    h.log.Clear();
    h.frm.TaskbarCreated();
    EXPECT_EQ(h.log.Only({"Shell"}),
              (std::vector<std::string>{"Shell_NotifyIconA(NIM_DELETE)", "Shell_NotifyIconA(NIM_ADD)"}));
    EXPECT_EQ(h.Tip(), " ログオフを00:00に実行します。");

    h.log.Clear();
    h.frm.Form_EndSession(true);
    EXPECT_EQ(h.log.Only({"Shell", "ExitProcess"}),
              (std::vector<std::string>{"Shell_NotifyIconA(NIM_DELETE)", "ExitProcess(0)"}));
}

}  // namespace
}  // namespace velt
