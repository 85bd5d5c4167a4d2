#include "MainView.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace velt::e2e {

namespace {

constexpr const char* kActionNames[3] = {"ログオフ", "再起動", "電源を切る"};

int CheckedOf(const Program& program, std::initializer_list<Ctl> group) {
    int checked = -1;
    int index = 0;
    for (Ctl option : group) {
        if (CheckState(program.Control(Id(option))) == BST_CHECKED) {
            checked = checked == -1 ? index : 9;
        }
        ++index;
    }
    return checked;
}

}  // namespace

std::string Sentence(int action, const std::string& hour, const std::string& minute) {
    return std::string(" ") + kActionNames[action] + "を" + hour + ":" + minute + "に実行します。";
}

std::string SettingsBytes(int action, const std::string& hour, const std::string& minute, bool atStart) {
    return std::to_string(action) + "\r\n" + hour + "\r\n" + minute + "\r\n" + (atStart ? "True" : "False") +
           "\r\n";
}

std::ostream& operator<<(std::ostream& out, const MainState& s) {
    return out << "{Option1(" << s.action << ") optSTART(" << s.atStart << ") " << s.hour << ":" << s.minute
               << " lblKAKU \"" << s.status << "\" cmdON " << (s.cmdOnEnabled ? "enabled" : "disabled")
               << " Command5 " << (s.command5Enabled ? "enabled" : "disabled")
               << (s.visible ? " shown" : " hidden") << "}";
}

MainState ReadState(const Program& program) {
    MainState state;
    state.action = CheckedOf(program, {Ctl::Option1_0, Ctl::Option1_1, Ctl::Option1_2});
    state.atStart = CheckedOf(program, {Ctl::optSTART0, Ctl::optSTART1});
    state.hour = TextOf(program.Control(Id(Ctl::txtTime0)));
    state.minute = TextOf(program.Control(Id(Ctl::txtTime1)));
    state.status = TextOf(program.Control(Id(Ctl::lblKAKU)));
    state.cmdOnEnabled = ::IsWindowEnabled(program.Control(Id(Ctl::cmdON))) != FALSE;
    state.command5Enabled = ::IsWindowEnabled(program.Control(Id(Ctl::Command5))) != FALSE;
    state.visible = ::IsWindowVisible(program.Main()) != FALSE;
    return state;
}

MainState Expected(int action, const std::string& hour, const std::string& minute, int atStart,
                   bool registered) {
    MainState state;
    state.action = action;
    state.atStart = atStart;
    state.hour = hour;
    state.minute = minute;
    state.status = registered ? Sentence(action, hour, minute) : kNotRegistered;
    state.cmdOnEnabled = !registered;
    state.command5Enabled = registered;
    state.visible = false;
    return state;
}

MainState WaitState(const Program& program, const MainState& expected, Millis timeout) {
    MainState seen;
    WaitUntil([&] { return (seen = ReadState(program)) == expected; }, timeout);
    return seen;
}

bool WaitStartedUp(Program& program, Millis timeout) {
    if (program.WaitMainWindow(timeout) == nullptr) {
        return false;
    }
    return WaitUntil(
        [&] {
            DWORD_PTR ignored = 0;
            return !::IsWindowVisible(program.Main()) &&
                   ::SendMessageTimeoutW(program.Main(), WM_NULL, 0, 0, SMTO_NORMAL, 1000, &ignored) != 0 &&
                   !TextOf(program.Control(Id(Ctl::lblKAKU))).empty();
        },
        timeout);
}

bool ShowMain(const Program& program) {
    program.PostTrayEvent(WM_LBUTTONDBLCLK);
    return WaitUntil([&] { return ::IsWindowVisible(program.Main()) != FALSE; }, 3s);
}

std::string TwoDigits(int n) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", n);
    return text;
}

bool PickInputs(const Program& program, int action, int hour, int minute, int atStart, MainState& seen) {
    constexpr Ctl kActions[3] = {Ctl::Option1_0, Ctl::Option1_1, Ctl::Option1_2};
    constexpr Ctl kAtStart[2] = {Ctl::optSTART0, Ctl::optSTART1};
    Click(program.Control(Id(kActions[action])));
    Click(program.Control(Id(kAtStart[atStart])));
    ComboSelect(program.Control(Id(Ctl::txtTime0)), hour);
    ComboSelect(program.Control(Id(Ctl::txtTime1)), minute);
    return WaitUntil(
        [&] {
            seen = ReadState(program);
            return seen.action == action && seen.atStart == atStart && seen.hour == TwoDigits(hour) &&
                   seen.minute == TwoDigits(minute);
        },
        3s);
}

std::optional<Millis> WaitSettled(const Program& program, std::optional<Millis> idle,
                                  const std::function<bool()>& settled, Millis timeout) {
    if (settled()) return idle ? *idle : program.SinceStart();
    if (!WaitUntil(settled, timeout)) return std::nullopt;
    return program.SinceStart();
}

void ExpectUpInTime(const std::function<void(Millis& took)>& attempt) {
    Millis took = Millis::max();
    attempt(took);
    EXPECT_LT(took.count(), kUpWithin.count()) << "coming up took " << took.count() << " ms";
}

}  // namespace velt::e2e
