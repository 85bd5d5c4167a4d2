#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <functional>

#include "core/ClockTick.h"
#include "doubles/Harness.h"

namespace velt {
namespace {

using platform::Ctl;

class Clock : public ::testing::Test {
protected:
    Clock() {
        h.FillTimeLists();
        h.ui[Ctl::lblKAKU].caption = "未登録です。";
    }
    void Register(Ctl action, const char* hour, const char* minute) {
        h.ui.SetValue(action, true);
        h.ui[Ctl::txtTime0].caption = hour;
        h.ui[Ctl::txtTime1].caption = minute;
        h.frm.cmdON_Click();
        h.log.Clear();
    }
    void TickAt(int hour, int minute, int second) {
        h.api.localTime = {hour, minute, second};
        h.frm.Timer1_Timer();
    }
    int Requests() const { return static_cast<int>(h.log.Only({"ExitWindowsEx"}).size()); }
    test::Harness h;
};

TEST(ClockText, TwoDigitFieldsWithColons) {
    EXPECT_EQ(ClockText({9, 5, 7}), "09:05:07");
    EXPECT_EQ(ClockText({0, 0, 0}), "00:00:00");
    EXPECT_EQ(ClockText({23, 59, 59}), "23:59:59");
    EXPECT_EQ(ClockKey("09:05:07"), "09:05");
}

TEST(ClockTick, IsPlacedJustAfterTheSecondAndMovedOnlyWhenItDrifts) {
    struct Row {
        std::uint32_t millisecond;
        bool move;
        std::uint32_t waitMs;
    };
    for (const Row r : {
             Row{0, false, 1020},   // on the change itself
             Row{20, false, 1000},  // where the period keeps it
             Row{60, false, 960},   // the latest still left alone
             Row{61, true, 959},    // drifted: back to 20 ms after the next second
             Row{500, true, 520},   // a start half-way through a second
             Row{999, true, 21},    // just before the change: shown late by almost a second
         }) {
        const TickPlacement p = PlaceTick(r.millisecond);
        EXPECT_EQ(p.move, r.move) << r.millisecond;
        EXPECT_EQ(p.waitMs, r.waitMs) << r.millisecond;
    }
}

// Windows refuses a timer when the process's USER objects run out (SetTimer answers 0). What is
// recorded must be what runs, and what was refused is started again.
TEST(ClockTimers, ARefusedStartIsTriedAgainAndOnlyWhatRunsIsRecorded) {
    using platform::Timer;
    struct Starter final : WindowTimers::Starter {
        std::deque<bool> answers;  // to the starts, in turn; true when empty
        std::vector<std::string> calls;
        bool Arm(int which, std::uint32_t ms) noexcept override {
            const char* name = which == WindowTimers::kClock ? "clock" : which == 0 ? "Timer1" : "Timer2";
            if (ms == 0) {
                calls.push_back(std::string("stop ") + name);
                return true;
            }
            calls.push_back(which == WindowTimers::kClock ? name : name + (" " + std::to_string(ms)));
            const bool answer = answers.empty() || answers.front();
            if (!answers.empty()) answers.pop_front();
            return answer;
        }
    };
    struct Row {
        const char* name;
        std::deque<bool> answers;
        std::function<void(WindowTimers&, Starter&)> then;  // after the window's start
        std::vector<std::string> calls;
        bool shortAfter;
    };
    const Row rows[] = {
        {"the clock refused at the start: a registration starts it", {false},
         [](WindowTimers& t, Starter& os) { t.Set(os, Timer::Timer1, 1000); }, {"clock", "clock"}, false},
        {"refused twice: each retry tries again", {false, false},
         [](WindowTimers& t, Starter& os) { t.Retry(os); t.Retry(os); }, {"clock", "clock", "clock"}, false},
        {"still refused after a registration: a retry stays due", {false, false},
         [](WindowTimers& t, Starter& os) { t.Set(os, Timer::Timer1, 1000); }, {"clock", "clock"}, true},
        {"an interval of its own refused: tried again at the next change", {true, false},
         [](WindowTimers& t, Starter& os) { t.Set(os, Timer::Timer2, 500); t.Set(os, Timer::Timer1, 1000); },
         {"clock", "Timer2 500", "Timer2 500"}, false},
    };
    for (const Row& r : rows) {
        Starter os;
        os.answers = r.answers;
        WindowTimers timers;
        timers.Retry(os);  // as the window is made
        r.then(timers, os);
        EXPECT_EQ(os.calls, r.calls) << r.name;
        EXPECT_EQ(timers.Short(), r.shortAfter) << r.name;
        EXPECT_EQ(timers.ClockRunning(), !r.shortAfter) << r.name;
    }
}

TEST_F(Clock, ShowsTheTimeEveryTickAndFiresOnlyInTheRegisteredMinute) {
    Register(Ctl::Option1_1, "12", "30");
    TickAt(12, 29, 59);
    EXPECT_EQ(h.ui.Caption(Ctl::lblTIME), "12:29:59");
    EXPECT_EQ(Requests(), 0);
    TickAt(12, 30, 0);
    EXPECT_EQ(h.log.Only({"ExitWindowsEx"}), std::vector<std::string>{"ExitWindowsEx(2,0)"});
    EXPECT_EQ(h.ui.timer1, 0u);
    EXPECT_EQ(h.frm.ExitFlags, 2);
}

TEST_F(Clock, EachActionMapsToItsFlagsAndOnlyLogOffTakesTheIconDownFirst) {
    struct Case {
        Ctl option;
        std::int32_t flags;
        bool iconFirst;
    };
    for (const Case c :
         {Case{Ctl::Option1_0, 0, true}, Case{Ctl::Option1_1, 2, false}, Case{Ctl::Option1_2, 1, false}}) {
        test::Harness fresh;
        fresh.FillTimeLists();
        fresh.ui.SetValue(c.option, true);
        fresh.ui[Ctl::txtTime0].caption = "08";
        fresh.ui[Ctl::txtTime1].caption = "15";
        fresh.frm.cmdON_Click();
        const platform::NotifyIconData89 lastRefresh = fresh.frm.TrayData;
        fresh.log.Clear();
        fresh.api.localTime = {8, 15, 3};
        fresh.frm.Timer1_Timer();

        EXPECT_EQ(fresh.frm.ExitFlags, c.flags);
        const auto calls = fresh.log.Only({"Shell_NotifyIconA", "ExitWindowsEx", "Timer1."});
        std::vector<std::string> expected = {"Timer1.Interval=0"};
        if (c.iconFirst) expected.push_back("Shell_NotifyIconA(NIM_DELETE)");
        expected.push_back("ExitWindowsEx(" + std::to_string(c.flags) + ",0)");
        EXPECT_EQ(calls, expected);
        if (c.iconFirst) {
            // The delete hands over the record exactly as the last refresh left it.
            EXPECT_EQ(std::memcmp(&fresh.api.notifyRecords.back(), &lastRefresh, sizeof lastRefresh), 0);
        }
        // The registration stays as it was.
        EXPECT_FALSE(fresh.ui.Enabled(Ctl::cmdON));
        EXPECT_EQ(fresh.frm.TargetTime[3], "08:15");
        EXPECT_FALSE(fresh.log.Contains("Replace"));
    }
}

TEST_F(Clock, FiresOnceUntilTheNextRegistration) {
    Register(Ctl::Option1_2, "00", "00");
    TickAt(0, 0, 0);  // the first tick after midnight
    EXPECT_EQ(Requests(), 1);
    // The real timer no longer ticks; even a stray tick in the same minute would find it stopped.
    EXPECT_EQ(h.ui.timer1, 0u);

    h.frm.Command5_Click();
    Register(Ctl::Option1_2, "00", "01");
    EXPECT_EQ(h.ui.timer1, 1000u);
    TickAt(0, 1, 0);
    EXPECT_EQ(Requests(), 1);
}

TEST_F(Clock, ARegistrationDuringItsOwnMinuteFiresAtTheNextTick) {
    TickAt(12, 30, 40);
    Register(Ctl::Option1_1, "12", "30");
    TickAt(12, 30, 41);
    EXPECT_EQ(Requests(), 1);
}

TEST_F(Clock, KeysThatAreNotTwoDigitsNeverMatch) {
    for (auto [hour, minute] :
         {std::pair{"7", "30"}, std::pair{"", "30"}, std::pair{"7", ""}, std::pair{"23.5", "00"}}) {
        test::Harness fresh;
        fresh.ui[Ctl::txtTime0].caption = hour;
        fresh.ui[Ctl::txtTime1].caption = minute;
        fresh.frm.cmdON_Click();
        for (int hh = 0; hh < 24; ++hh) {
            for (int mm = 0; mm < 60; ++mm) {
                fresh.api.localTime = {hh, mm, 0};
                fresh.frm.Timer1_Timer();
            }
        }
        EXPECT_FALSE(fresh.log.Contains("ExitWindowsEx")) << hour << ":" << minute;
    }
}

TEST_F(Clock, ACancelledKeyNeverMatchesWhileTheClockRuns) {
    Register(Ctl::Option1_1, "10", "00");
    h.frm.Command5_Click();
    TickAt(10, 0, 0);
    EXPECT_EQ(h.ui.Caption(Ctl::lblTIME), "10:00:00");
    EXPECT_EQ(Requests(), 0);
    EXPECT_EQ(h.ui.timer1, 1000u);
}

// --- the session-end step

struct PlatformCase {
    std::uint32_t platformId;
    bool openOk, lookupOk, adjustOk;
    std::uint32_t lastError;
    std::vector<std::string> calls;
    bool refused;
    Ctl action = Ctl::Option1_1;
};

TEST_F(Clock, SessionEndAsksForThePrivilegeOnlyOnTheNtFamily) {
    const std::string token = "0x1234";
    const PlatformCase cases[] = {
        {0, true, true, true, 0, {"GetVersionExA(148)", "ExitWindowsEx(2,0)"}, false},
        {1, true, true, true, 0, {"GetVersionExA(148)", "ExitWindowsEx(2,0)"}, false},
        {3, true, true, true, 0, {"GetVersionExA(148)", "ExitWindowsEx(2,0)"}, false},
        {2,
         true,
         true,
         true,
         0,
         {"GetVersionExA(148)", "GetCurrentProcess", "OpenProcessToken(0xffffffffffffffff,0x20)",
          "LookupPrivilegeValueA(SeShutdownPrivilege)", "AdjustTokenPrivileges(" + token + ")",
          "CloseHandle(" + token + ")", "ExitWindowsEx(2,0)"},
         false},
        {2,
         false,
         true,
         true,
         0,
         {"GetVersionExA(148)", "GetCurrentProcess", "OpenProcessToken(0xffffffffffffffff,0x20)"},
         true},
        {2,
         true,
         false,
         true,
         0,
         {"GetVersionExA(148)", "GetCurrentProcess", "OpenProcessToken(0xffffffffffffffff,0x20)",
          "LookupPrivilegeValueA(SeShutdownPrivilege)", "CloseHandle(" + token + ")"},
         true},
        {2,
         true,
         true,
         false,
         0,
         {"GetVersionExA(148)", "GetCurrentProcess", "OpenProcessToken(0xffffffffffffffff,0x20)",
          "LookupPrivilegeValueA(SeShutdownPrivilege)", "AdjustTokenPrivileges(" + token + ")",
          "CloseHandle(" + token + ")"},
         true},
        // Succeeds, but the token does not hold the privilege: nothing was enabled.
        {2,
         true,
         true,
         true,
         platform::ERROR_NOT_ALL_ASSIGNED,
         {"GetVersionExA(148)", "GetCurrentProcess", "OpenProcessToken(0xffffffffffffffff,0x20)",
          "LookupPrivilegeValueA(SeShutdownPrivilege)", "AdjustTokenPrivileges(" + token + ")",
          "CloseHandle(" + token + ")"},
         true,
         Ctl::Option1_2},
        // A log off needs no privilege, but a failing token call still refuses it.
        {2,
         true,
         true,
         true,
         platform::ERROR_NOT_ALL_ASSIGNED,
         {"GetVersionExA(148)", "GetCurrentProcess", "OpenProcessToken(0xffffffffffffffff,0x20)",
          "LookupPrivilegeValueA(SeShutdownPrivilege)", "AdjustTokenPrivileges(" + token + ")",
          "CloseHandle(" + token + ")", "ExitWindowsEx(0,0)"},
         false,
         Ctl::Option1_0},
        {2,
         false,
         true,
         true,
         0,
         {"GetVersionExA(148)", "GetCurrentProcess", "OpenProcessToken(0xffffffffffffffff,0x20)"},
         true,
         Ctl::Option1_0},
    };
    for (const auto& c : cases) {
        test::Harness fresh;
        fresh.FillTimeLists();
        fresh.ui.SetValue(c.action, true);
        fresh.frm.cmdON_Click();
        fresh.log.Clear();
        fresh.api.platformId = c.platformId;
        fresh.api.openTokenSucceeds = c.openOk;
        fresh.api.lookupSucceeds = c.lookupOk;
        fresh.api.adjustSucceeds = c.adjustOk;
        fresh.api.lastErrorAfterAdjust = c.lastError;
        fresh.api.localTime = {0, 0, 1};
        fresh.frm.Timer1_Timer();

        EXPECT_EQ(
            fresh.log.Only({"GetVersionExA", "GetCurrentProcess", "OpenProcessToken", "LookupPrivilegeValueA",
                            "AdjustTokenPrivileges", "CloseHandle", "ExitWindowsEx"}),
            c.calls)
            << "platform " << c.platformId;
        if (c.refused) {
            ASSERT_EQ(fresh.ui.messages.size(), 1u);
            EXPECT_TRUE(fresh.log.Contains(
                "MsgBox(ログインしているユーザには本動作を行う権限がありません。|0|Velt_PCタイマー終了)"));
        } else {
            EXPECT_TRUE(fresh.ui.messages.empty());
        }
        EXPECT_EQ(fresh.ui.timer1, 0u);
    }
}

TEST_F(Clock, ThePrivilegeRecordIs28BytesWithOneEntry) {
    Register(Ctl::Option1_2, "00", "00");
    TickAt(0, 0, 0);
    ASSERT_TRUE(h.api.adjustedState.has_value());
    const auto& s = *h.api.adjustedState;
    unsigned char bytes[28];
    std::memcpy(bytes, &s, sizeof bytes);
    const unsigned char expected[28] = {1, 0, 0, 0, 0x13, 0, 0, 0, 7, 0, 0, 0, 2, 0,
                                        0, 0, 0, 0, 0,    0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(bytes, expected, sizeof bytes), 0);
    EXPECT_EQ(h.api.adjustBufferLength, 28u);
    EXPECT_FALSE(h.api.adjustDisableAll);
    EXPECT_EQ(h.api.adjustPrevious, nullptr);
    EXPECT_EQ(h.api.adjustReturnLength, nullptr);
    EXPECT_EQ(h.api.lookupSystemName, nullptr);
}

TEST_F(Clock, AFailedLogOffPutsTheTrayIconBack) {
    enum class Failure { Refused, RequestFails, CalledOffLater, None };
    for (Failure f : {Failure::Refused, Failure::RequestFails, Failure::CalledOffLater, Failure::None}) {
        test::Harness fresh;
        fresh.FillTimeLists();
        fresh.frm.cmdON_Click();  // log off at 00:00
        fresh.log.Clear();
        fresh.api.openTokenSucceeds = f != Failure::Refused;
        fresh.api.exitWindowsSucceeds = f != Failure::RequestFails;
        fresh.api.localTime = {0, 0, 0};
        fresh.frm.Timer1_Timer();
        if (f == Failure::CalledOffLater) fresh.frm.Form_EndSession(false);

        const auto tray = fresh.log.Only({"Shell_NotifyIconA"});
        if (f == Failure::None) {
            EXPECT_EQ(tray, std::vector<std::string>{"Shell_NotifyIconA(NIM_DELETE)"});
        } else {
            EXPECT_EQ(tray, (std::vector<std::string>{"Shell_NotifyIconA(NIM_DELETE)",
                                                      "Shell_NotifyIconA(NIM_DELETE)",
                                                      "Shell_NotifyIconA(NIM_ADD)"}))
                << static_cast<int>(f);
            EXPECT_EQ(fresh.Tip(), " ログオフを00:00に実行します。");
        }
    }
}

TEST_F(Clock, RestartAndPowerOffNeverTouchTheTrayWhenTheyFail) {
    Register(Ctl::Option1_1, "00", "00");
    h.api.exitWindowsSucceeds = false;
    TickAt(0, 0, 0);
    h.frm.Form_EndSession(false);
    EXPECT_FALSE(h.log.Contains("Shell_NotifyIconA"));
}

}  // namespace
}  // namespace velt
