#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "doubles/Harness.h"
#include "tray/Form1.h"
#include "tray/Module1.h"
#include "tray/TrayIcon.h"
#include "ui/frmAbout.h"

namespace velt {
namespace {

using platform::Ctl;

std::vector<unsigned char> Bytes(const void* p, std::size_t n) {
    const auto* b = static_cast<const unsigned char*>(p);
    return {b, b + n};
}

TEST(TrayRecord, RefreshWritesEveryFieldAndTheTipInCodePage932) {
    test::Harness h;
    h.frm.TrayTip = "停止中";
    h.frm.ProTask();
    const auto& d = h.frm.TrayData;
    const std::vector<unsigned char> head = Bytes(&d, 31);
    const std::vector<unsigned char> expected = {89, 0, 0,    0,    0xA0, 0x02, 0,    0,    1,   0,    0,
                                                 0,  7, 0,    0,    0,    0x00, 0x02, 0,    0,   0x50, 0,
                                                 0,  0, 0x92, 0xE2, 0x8E, 0x7E, 0x92, 0x86, 0x00};
    EXPECT_EQ(head, expected);
    EXPECT_EQ(h.log.Only({"Shell_NotifyIconA", "SetMenuVisible"}),
              (std::vector<std::string>{"Shell_NotifyIconA(NIM_DELETE)", "Shell_NotifyIconA(NIM_ADD)",
                                        "SetMenuVisible(0,false)"}));
    EXPECT_TRUE(h.ui.menuFormLoaded);
    EXPECT_FALSE(h.ui.trayMenuVisible);
}

TEST(TrayRecord, OnlyATipTheCodePageCannotHoldGoesThroughTheUnicodeCall) {
    struct Case {
        unsigned codePage;
        const char* tip;
        bool unicode;
    };
    for (const Case c :
         {Case{932, "停止中", false}, Case{1252, "停止中", true}, Case{1252, "Velt 12:00", false}}) {
        test::Harness h;
        h.api.ansiCodePage = c.codePage;
        h.frm.TrayTip = c.tip;
        h.frm.ProTask();
        const std::string add = c.unicode ? "Shell_NotifyIconW(NIM_ADD)" : "Shell_NotifyIconA(NIM_ADD)";
        EXPECT_EQ(h.log.Only({"Shell_NotifyIcon"}),
                  (std::vector<std::string>{"Shell_NotifyIconA(NIM_DELETE)", add}))
            << c.codePage << " " << c.tip;
        if (c.unicode) {
            EXPECT_EQ(h.api.unicodeTips, std::vector<std::string>{c.tip});
            EXPECT_EQ(+h.api.notifyRecords.back().uFlags, 7u);
        }
    }
}

TEST(TrayRecord, AShorterTipLeavesTheLongerOnesTailAfterItsZero) {
    test::Harness h;
    h.frm.TrayTip = " 電源を切るを23:45に実行します。";
    h.frm.ProTask();
    EXPECT_EQ(std::strlen(h.frm.TrayData.szTip), 32u);
    char before[65];
    std::memcpy(before, h.frm.TrayData.szTip, sizeof before);

    h.frm.TrayTip = "未登録です。";
    h.frm.ProTask();
    EXPECT_EQ(h.Tip(), "未登録です。");
    EXPECT_EQ(h.frm.TrayData.szTip[12], '\0');
    EXPECT_EQ(std::memcmp(h.frm.TrayData.szTip + 13, before + 13, 65 - 13), 0);
}

TEST(TrayRecord, ALongTipIsCutAtAWholeCharacter) {
    test::Harness h;
    auto toAnsi = [&](std::string_view s) { return h.api.ToAnsi(s); };
    EXPECT_EQ(TrayTipBytes(std::string(64, 'a'), toAnsi).size(), 64u);
    EXPECT_EQ(TrayTipBytes(std::string(65, 'a'), toAnsi).size(), 64u);
    // 'a' then 40 two-byte characters: 81 bytes; the cut must not split a character.
    std::string tip = "a";
    for (int i = 0; i < 40; ++i)
        tip += "停";
    const std::string cut = TrayTipBytes(tip, toAnsi);
    EXPECT_EQ(cut.size(), 63u);
    EXPECT_EQ(
        h.api.FromAnsi(cut), "a" + [] {
            std::string s;
            for (int i = 0; i < 31; ++i)
                s += "停";
            return s;
        }());

    h.frm.TrayTip = tip;
    h.frm.ProTask();
    EXPECT_EQ(h.frm.TrayData.szTip[63], '\0');
}

// Fields of the packed records are read by value (unary +): a reference to one may be misaligned.
// The shell deletes the icon that the record's window and id name: the one the refresh put up.
TEST(TrayRecord, RemovalNamesTheIconThatWasPutUp) {
    test::Harness h;
    h.frm.ProTask();
    Module1::RemoveTrayIcon(h.frm.Tray());
    ASSERT_EQ(h.api.notifyMessages.size(), 3u);
    EXPECT_EQ(h.api.notifyMessages[2], platform::NIM_DELETE);
    const auto& added = h.api.notifyRecords[1];
    const auto& removed = h.api.notifyRecords[2];
    EXPECT_EQ(+removed.cbSize, +added.cbSize);
    EXPECT_EQ(+removed.hWnd, +added.hWnd);
    EXPECT_EQ(+removed.uID, +added.uID);
}

// While Windows starts, the shell may refuse adds, or report as failed an add it did make. The icon
// is tried again until it is up, and no more after; the shell never holds more than one icon.
TEST(TrayRetry, TheIconIsTriedAgainUntilTheShellHasItOnce) {
    using Add = test::FakeWindowsApi::AddAnswer;
    struct Case {
        const char* name;
        std::vector<Add> answers;         // the shell's answers to the adds, in turn
        bool registerAfterTheFirstTry;    // log off at 00:00, whose refresh the shell answers next
        std::vector<std::uint32_t> gaps;  // the waits before the tries that follow
        const char* tip;                  // of the one icon at the end
    };
    const std::vector<Add> refusedNineTimes(9, Add::Refused);
    const Case cases[] = {
        {"refused, then taken", {Add::Refused}, false, {1000}, "停止中"},
        {"added although reported failed", {Add::AddedButFailed}, false, {1000}, "停止中"},
        {"refused again after a registration", {Add::Refused, Add::Refused}, true, {1000},
         " ログオフを00:00に実行します。"},
        {"refused for minutes", refusedNineTimes, false,
         {1000, 2000, 4000, 8000, 16000, 32000, 60000, 60000, 60000}, "停止中"},
    };
    for (const Case& c : cases) {
        test::Harness h;
        h.FillTimeLists();
        h.api.addAnswers.assign(c.answers.begin(), c.answers.end());
        h.frm.TrayTip = "停止中";
        h.frm.ProTask();
        if (c.registerAfterTheFirstTry) h.frm.cmdON_Click();
        std::vector<std::uint32_t> gaps;
        while (h.ui.waitingTrayStep && gaps.size() < 20) {
            gaps.push_back(h.ui.waitingTrayStep->delayMs);
            EXPECT_LE(h.api.shellIcons.size(), 1u) << c.name;
            h.ui.RunDueTrayStep();
        }
        EXPECT_EQ(gaps, c.gaps) << c.name;
        EXPECT_EQ(h.api.shellIcons.size(), 1u) << c.name;
        if (h.api.shellIcons.size() != 1) continue;
        EXPECT_EQ(h.api.shellIcons.begin()->first, (std::pair<std::uint32_t, std::uint32_t>{0x2A0, 1}))
            << c.name;
        EXPECT_EQ(h.api.shellIcons.begin()->second, c.tip) << c.name;
    }
}

// A try may run long after its refresh: the picture it hands the shell must still be there, however
// often the window's icon changed meanwhile.
TEST(TrayRetry, ATryKeepsThePictureItCarriesUntilItHasRun) {
    test::Harness h;
    h.FillTimeLists();
    h.api.addAnswers = {test::FakeWindowsApi::AddAnswer::Refused};
    h.frm.cmdON_Click();  // the icon is refused and tried again with VELTPOWON
    const platform::Handle carried = h.ui.iconHandle;
    h.frm.Command5_Click();
    h.ui.SetIconFromFile(h.OnIcon());
    ASSERT_TRUE(h.ui.waitingTrayStep.has_value());
    h.ui.RunDueTrayStep();
    EXPECT_EQ(+h.api.notifyRecords.back().hIcon, carried);
    EXPECT_EQ(std::count(h.ui.freedIcons.begin(), h.ui.freedIcons.end(), carried), 0);
}

TEST(TrayRetry, ALogOffTakesTheIconDownForGoodUnlessItIsCalledOff) {
    test::Harness h;
    h.FillTimeLists();
    h.api.addAnswers = {test::FakeWindowsApi::AddAnswer::Refused};
    h.frm.cmdON_Click();  // log off at 00:00, the icon not up yet
    ASSERT_TRUE(h.ui.waitingTrayStep.has_value());
    h.api.localTime = {0, 0, 0};
    h.frm.Timer1_Timer();
    EXPECT_FALSE(h.ui.waitingTrayStep.has_value()) << "a try would bring the icon back during the log off";
    EXPECT_TRUE(h.api.shellIcons.empty());

    h.api.addAnswers = {test::FakeWindowsApi::AddAnswer::Refused};
    h.frm.Form_EndSession(false);
    EXPECT_TRUE(h.api.shellIcons.empty());
    ASSERT_TRUE(h.ui.RunDueTrayStep());
    ASSERT_EQ(h.api.shellIcons.size(), 1u);
    EXPECT_EQ(h.api.shellIcons.begin()->second, " ログオフを00:00に実行します。");
    EXPECT_FALSE(h.ui.waitingTrayStep.has_value());
}

TEST(TrayMouse, DecodesTheCallbackFromTwipsLikeTheWindowingFacility) {
    struct Case {
        float x;
        float factor;
        int code;
    };
    const Case cases[] = {
        {515 * 15, 15, 515},
        {517 * 15, 15, 517},
        {515 * 15 - 0.4f, 15, 515},
        {515 * 15 - 0.5f, 15, 514},
        {515 * 15 + 14, 15, 515},
        {515 * 15 + 15, 15, 516},
        {515 * 12, 12, 515},
        {517 * 10, 10, 517},
        {7725.5f, 15, 515},
        {-15, 15, -1},
        {0, 15, 0},
        {515 * 15, 15.4f, 515},
        {515 * 15, 0.4f, 0},
        {3e10f, 15, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeTrayEvent(c.x, c.factor), c.code) << c.x << "/" << c.factor;
    for (int x = 515 * 15; x <= 515 * 15 + 14; ++x)
        EXPECT_EQ(DecodeTrayEvent(float(x), 15), 515);
}

TEST(TrayMouse, DoubleClickShowsRightButtonUpOpensTheMenuOthersDoNothing) {
    for (int code : {512, 513, 514, 515, 516, 517, 518, 0, 100}) {
        test::Harness h;
        h.frm.Form_MouseMove(0, 0, float(code * 15), 0);
        if (code == 515) {
            EXPECT_EQ(h.log.entries, std::vector<std::string>{"Show"});
        } else if (code == 517) {
            EXPECT_EQ(h.log.entries,
                      (std::vector<std::string>{"SetForegroundWindow(0x2a0)", "DoEvents", "PopupTrayMenu"}));
        } else {
            EXPECT_TRUE(h.log.entries.empty()) << code;
        }
    }
}

TEST(TrayMenu, EntriesActOnTheWindowTheAboutBoxAndTheProcess) {
    test::Harness h;
    Form1 menu(h.api, h.ui, h.frm.Tray());
    frmAbout about(h.api, h.ui);
    h.ui.aboutEvents = &about;

    menu.mnuOpen_Click();
    menu.mnuOpen_Click();
    EXPECT_TRUE(h.ui.visible);

    menu.mnuVer_Click();
    menu.mnuVer_Click();
    EXPECT_EQ(h.ui.aboutCreations, 1);
    EXPECT_EQ(h.ui.aboutTitle, "Velt_PCタイマー終了 （ﾊﾞｰｼﾞｮﾝ情報）");
    EXPECT_EQ(h.ui.aboutVersion, "Velt_PCタイマー終了 Version.1.2.3");
    about.cmdOK_Click();
    h.api.version = {"Other", 4, 5, 6, 7};
    menu.mnuVer_Click();
    EXPECT_EQ(h.ui.aboutCreations, 2);
    EXPECT_EQ(h.ui.aboutVersion, "Other Version.4.5.7");

    menu.mnuweb_Click();
    about.Label2_Click();
    ASSERT_EQ(h.api.openedPages.size(), 2u);
    EXPECT_EQ(h.api.openedPages[0], h.api.openedPages[1]);
    EXPECT_EQ(h.api.openedPages[0].rfind("http://", 0), 0u);

    h.log.Clear();
    h.ui.answers = {platform::IDCANCEL};
    menu.mnuClose_Click();
    EXPECT_EQ(h.log.entries,
              std::vector<std::string>{"MsgBox(終了してもよろしいでしょうか？|1|Velt_PCタイマー終了)"});
    h.ui.answers = {platform::IDOK};
    menu.mnuClose_Click();
    EXPECT_EQ(h.log.Only({"Shell", "ExitProcess"}),
              (std::vector<std::string>{"Shell_NotifyIconA(NIM_DELETE)", "ExitProcess(0)"}));
    EXPECT_EQ(+h.api.notifyRecords.back().uFlags, 5u);
}

}  // namespace
}  // namespace velt
