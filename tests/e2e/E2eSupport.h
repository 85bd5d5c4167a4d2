// Driving the built program from outside, as a user and the shell would: start it in a folder
// of its own, find its windows, read their controls through user32, click, post the tray
// callback, read set.ini. Everything here is independent of the program's code.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "TestSupport.h"

namespace velt::e2e {

using namespace std::chrono_literals;
using Millis = std::chrono::milliseconds;

// ---------------------------------------------------------------- configuration

struct Config {
    std::wstring dist;        // folder with VeltPCTimer.exe and the two icons
    std::wstring work;        // scratch root, Windows path (a Z: path of `workUnix`)
    std::string workUnix;     // the same folder as the host sees it
    std::wstring shots;       // where screenshots go
    std::wstring browserLog;  // what the prefix's stand-in browser was asked to open
    std::wstring unpacked;    // the release zip's VeltPCTimer folder, unpacked on the host
};

const Config& Cfg();
// Reads --dist=, --work=, --work-unix=, --shots=, --browser-log=, --unpacked= from the command
// line; false when one of the first four is missing.
bool ParseConfig(int argc, wchar_t** argv);

// ---------------------------------------------------------------- text

using wintest::Utf8;
using wintest::Wide;
// UTF-8 to and from the ANSI code page of this process (932 under ja_JP.UTF-8).
std::string ToAnsi(std::string_view utf8);

// ---------------------------------------------------------------- waiting

using wintest::WaitSteady;
using wintest::WaitUntil;

// A schedule registered for the current minute fires at once and ends the Wine session, this
// test included. Before a test registers hour:minute, this waits (at most a minute) until the
// clock is clear of that minute.
void StayClearOf(int hour, int minute);

// ---------------------------------------------------------------- files

std::optional<std::string> ReadWholeFile(const std::wstring& path);
void WriteWholeFile(const std::wstring& path, std::string_view bytes);

// Which of the two icon files a folder gets beside the program.
enum class Icons { Both, NoOnIcon, NoOffIcon };

// A fresh folder holding a copy of the program and its icons. Removed with everything in it
// at the end (immutable flags and read-only attributes are cleared first).
class AppFolder {
public:
    explicit AppFolder(std::wstring_view name, Icons icons = Icons::Both);
    // A folder that something else filled (the release zip, unpacked on the host); nothing is
    // copied in. Outside the scratch root it has no UnixPath().
    struct Filled {
        std::wstring path;
    };
    explicit AppFolder(Filled filled);
    AppFolder(const AppFolder&) = delete;
    AppFolder& operator=(const AppFolder&) = delete;
    ~AppFolder();

    const std::wstring& Path() const { return path_; }
    std::string UnixPath() const;
    std::wstring File(std::wstring_view name) const;
    std::wstring Exe() const { return File(L"VeltPCTimer.exe"); }
    std::wstring Settings() const { return File(L"set.ini"); }

    void WriteSettings(std::string_view bytes) const { WriteWholeFile(Settings(), bytes); }
    // nullopt when set.ini is missing or cannot be read.
    std::optional<std::string> ReadSettings() const { return ReadWholeFile(Settings()); }
    // Names in the folder, "." and ".." left out.
    std::set<std::wstring> Entries() const;
    // What it held once made: the program and the icons, or what was unpacked.
    const std::set<std::wstring>& InitialEntries() const { return initial_; }

private:
    std::wstring path_;
    std::set<std::wstring> initial_;
};

// Starts a program of the host (an ELF file); Wine does not wait for it.
void RunHostCommand(const std::wstring& commandLine);

// Makes a file or folder immutable on the host (chattr +i): not even root can write, rename,
// create or delete in it. Cleared again by Release() or the destructor. Wine starts host
// programs without waiting for them, so both wait until the change shows.
class HostImmutable {
public:
    HostImmutable(std::string unixPath, std::wstring windowsPath);
    HostImmutable(const HostImmutable&) = delete;
    HostImmutable& operator=(const HostImmutable&) = delete;
    ~HostImmutable() { Release(); }
    // Whether the file system took the flag (some do not).
    bool Effective() const { return effective_; }
    void Release();

private:
    std::string path_;
    std::wstring windowsPath_;
    bool effective_ = false;
};

// ---------------------------------------------------------------- the program's windows

inline constexpr char kAppTitle[] = "Velt_PCタイマー終了";
inline constexpr char kMainTitle[] = "Velt_PCタイマー終了 v1.23";
inline constexpr char kAboutTitle[] = "Velt_PCタイマー終了 （ﾊﾞｰｼﾞｮﾝ情報）";

using wintest::ClassOf;
using wintest::TextOf;
LONG StyleOf(HWND hwnd);
LONG ExStyleOf(HWND hwnd);
// The rectangle of `hwnd` in the client coordinates of `container`.
RECT RectIn(HWND hwnd, HWND container);
SIZE ClientSize(HWND hwnd);
// A child, grandchild... of `top` with this control ID (frames hold controls of their own).
HWND FindControl(HWND top, int id);
std::vector<HWND> Descendants(HWND top);
// Top-level windows of a process, hidden ones included.
std::vector<HWND> TopLevelWindows(DWORD pid);

// A sent message that gives up after five seconds instead of hanging the test.
LRESULT Send(HWND hwnd, UINT message, WPARAM w = 0, LPARAM l = 0);
// Clicks a button the way the program cannot tell from a user's click, without waiting for
// what the click opens.
void Click(HWND button);
int CheckState(HWND button);
int ComboCount(HWND combo);
int ComboSelection(HWND combo);
std::string ComboItem(HWND combo, int index);
// Makes entry `index` the shown one (CB_SETCURSEL).
void ComboSelect(HWND combo, int index);

// The focus of another thread's window tree, as that thread sees it.
HWND FocusOf(DWORD threadId);

// A message box of the program: caption, text, which buttons it has and whether it shows an
// icon.
struct MessageBoxView {
    HWND hwnd = nullptr;
    std::string caption;
    std::string text;
    std::set<int> buttons;  // IDOK, IDCANCEL, IDYES, IDNO...
    bool hasIcon = false;
};
MessageBoxView ReadMessageBox(HWND box);

// ---------------------------------------------------------------- the program's process

class Program {
public:
    // Starts the program in `folder` with the scratch root as its current directory, so that
    // a program that looks in its current directory instead of its own is caught.
    explicit Program(const AppFolder& folder);
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    ~Program();  // ends it if it still runs

    DWORD Pid() const { return pid_; }
    HANDLE Process() const { return process_; }
    std::chrono::steady_clock::time_point Started() const { return started_; }
    Millis SinceStart() const;

    bool Running() const;
    // How long after the start it first waited for input, its start-up done (WaitForInputIdle);
    // nullopt when that did not happen within `timeout`.
    std::optional<Millis> WaitInputIdle(Millis timeout) const;
    // The exit code once it has ended within `timeout`.
    std::optional<DWORD> WaitExit(Millis timeout) const;
    void Kill();

    // Its main window (title "Velt_PCタイマー終了 v1.23"), once it exists.
    HWND WaitMainWindow(Millis timeout = 5s);
    HWND Main() const { return main_; }
    HWND Control(int id) const;
    // A visible top-level window of this process with this class (and title, when given).
    HWND WaitWindow(const char* className, const char* title, Millis timeout) const;
    HWND FindWindowOf(const char* className, const char* title) const;
    // A visible message box (#32770) of this process.
    HWND WaitMessageBox(Millis timeout = 5s) const;
    bool HasMessageBox() const;
    DWORD UiThread() const;

    // The shell's tray callback: WM_MOUSEMOVE with the mouse message as x.
    void PostTrayEvent(int mouseMessage) const;

private:
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
    HWND main_ = nullptr;
    // Controls found once: walking every child to find one costs a round trip per child, and
    // that would slow each read of the window more than the program's own work does.
    mutable std::map<int, HWND> controls_;
    std::chrono::steady_clock::time_point started_;
};

// ---------------------------------------------------------------- the notification area

// The tray is read only once it stands still: the program refreshes its icon by deleting it and
// adding it again, and between the two there is no icon at all (the tray window may even vanish),
// for longer on a busy machine. So every read below waits, with a bound, until two looks in a row
// find the same icons at the same places, and only then compares.

// Waits until the tray holds `count` icons (in Wine's stand-alone tray window: no X tray under
// Xvfb); the count last seen in `seen`.
bool WaitTrayIcons(int count, Millis timeout = 3s, int* seen = nullptr);

// Moves the X pointer (xdotool on the host: a real motion, which Wine's own SetCursorPos is not
// to the tray's tooltip).
void MovePointer(int x, int y);
// Hovers over the one tray icon until its tip reads `expected` (or `timeout` passes) and
// returns the tip last seen.
std::string HoverTrayTip(const std::string& expected, Millis timeout = 4s);

// ---------------------------------------------------------------- pictures on the screen

// The three icon pictures the program shows, told apart by colour: VELTPOWON.ico is green,
// the program's own clock icon has a red centre, VELTPOWOFF.ico is grey.
enum class Picture { Program, On, Off };
const char* NameOf(Picture picture);
Picture PictureAt(const RECT& screenRect);
// Where the main window's title bar shows its icon (the window must be shown).
RECT CaptionIconRect(HWND window);
// Where the tray shows its one icon, once exactly one stands; nullopt when that did not happen
// within `timeout`.
std::optional<RECT> TrayIconRect(Millis timeout = 3s);
// Waits until the tray's one icon shows `picture`; what it showed last in `seen` ("not exactly
// one icon" when it did not hold exactly one).
bool WaitTrayPicture(Picture picture, Millis timeout = 3s, std::string* seen = nullptr);

// ---------------------------------------------------------------- screenshots

// Saves what the screen shows of `hwnd` (frame included) as a PNG file.
bool SaveScreenshot(HWND hwnd, const std::wstring& path);

}  // namespace velt::e2e
