// What a user sees of the main window, read from outside, and the checks every group shares:
// the program came up, and its inputs, status and buttons are in a given state.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "E2eSupport.h"
#include "ui/MainLayout.h"

namespace velt::e2e {

using platform::Ctl;

constexpr int Id(Ctl control) { return ui::MainControlId(control); }

// The status texts.
inline constexpr char kNotRegistered[] = "未登録です。";
// " <action>を<hh:mm>に実行します。"
std::string Sentence(int action, const std::string& hour, const std::string& minute);
// The four lines the program writes.
std::string SettingsBytes(int action, const std::string& hour, const std::string& minute, bool atStart);

struct MainState {
    int action = -1;   // the checked Option1 index; -1 none, 9 more than one
    int atStart = -1;  // the checked optSTART index, likewise
    std::string hour;  // shown texts of txtTime(0) and txtTime(1)
    std::string minute;
    std::string status;  // lblKAKU
    bool cmdOnEnabled = false;
    bool command5Enabled = false;
    bool visible = false;

    friend bool operator==(const MainState&, const MainState&) = default;
};
std::ostream& operator<<(std::ostream& out, const MainState& state);

MainState ReadState(const Program& program);

// Registered: the sentence in lblKAKU, cmdON disabled, Command5 enabled. Not registered: the
// opposite, with "未登録です。".
MainState Expected(int action, const std::string& hour, const std::string& minute, int atStart,
                   bool registered);

// Waits until the program's main window shows `expected`; returns the last state seen.
MainState WaitState(const Program& program, const MainState& expected, Millis timeout);

// Waits for the main window and for start-up to finish: the window exists, is hidden and
// answers messages, and the status label has been written. False when that did not happen.
bool WaitStartedUp(Program& program, Millis timeout = 10s);

// Shows the main window the way the tray icon's double-click does; false if it stays hidden.
bool ShowMain(const Program& program);

// Picks inputs as a user does: clicks the action and start-up options, chooses the list
// entries; false (and the state seen in `seen`) if the window does not show them.
bool PickInputs(const Program& program, int action, int hour, int minute, int atStart, MainState& seen);

std::string TwoDigits(int n);

// Waits until `settled` holds and says how long `program` took to come up: the moment it first
// waited for input (`idle`, from Program::WaitInputIdle) when the first look after that finds it
// settled, else the moment it is first seen settled. Reading the window from outside takes the
// harness a round trip per control, and the first read makes the program create its controls for
// the reader: neither is the program's start-up. nullopt when it did not settle within `timeout`.
std::optional<Millis> WaitSettled(const Program& program, std::optional<Millis> idle,
                                  const std::function<bool()>& settled, Millis timeout);

// The time a started program may take to come up.
inline constexpr Millis kUpWithin = 1000ms;

// Runs `attempt`, one start from a setup of its own that reports in `took` how long coming up
// took, and expects that under kUpWithin. It runs once: a start that is slow is a failure, never
// a reason to start again.
void ExpectUpInTime(const std::function<void(Millis& took)>& attempt);

}  // namespace velt::e2e
