// Helpers for the Windows-side tests and the end-to-end suite: scratch folders, whole-file access,
// text conversions and reading windows, through plain Win32 and independent of the code under test.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>

namespace velt::wintest {

// Polls `condition` every 20 ms until it holds or `timeout` has passed; true when it held.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

// Polls `look` until two looks in a row give the same value and `accept` takes it; true when that
// happened within `timeout`, and the last value seen in `last`. What another process changes in
// steps (the shell deletes an icon, then adds it again) is compared only once it stands still.
template <class T, class Accept>
bool WaitSteady(const std::function<T()>& look, const Accept& accept, std::chrono::milliseconds timeout,
                T* last = nullptr) {
    std::optional<T> previous;
    return WaitUntil(
        [&] {
            T now = look();
            const bool steady = previous && *previous == now && accept(now);
            if (last != nullptr) {
                *last = now;
            }
            previous = std::move(now);
            return steady;
        },
        timeout);
}

// A fresh folder under %TEMP%, removed with everything in it at the end of the test.
class TempFolder {
public:
    // `leaf` may hold any characters the file system takes; it is made unique per process.
    explicit TempFolder(const std::wstring& leaf = L"velt-test");
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();

    const std::wstring& path() const { return path_; }
    std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }
    std::string Utf8() const;
    std::string FileUtf8(const std::wstring& name) const;
    // Names of the entries in the folder (not "." and "..").
    std::set<std::wstring> Entries() const;

private:
    std::wstring path_;
};

void WriteWholeFile(const std::wstring& path, const std::string& bytes);
std::string ReadWholeFile(const std::wstring& path);

std::string Utf8(std::wstring_view wide);
// `wide` in the code page `codePage` (CP_ACP: this process's ANSI code page).
std::string FromWide(UINT codePage, std::wstring_view wide);
std::wstring Wide(std::string_view utf8);

// Removes a folder with everything in it, read-only entries too.
void RemoveTree(const std::wstring& path);

// Twips to pixels at `dpi` as the windows must place them: the nearest pixel, halves away from zero.
int Px(int twips, int dpi);

// A window's class name, and the text WM_GETTEXT gives (as a screen reader gets it), UTF-8.
// Both work on windows of other processes.
std::string ClassOf(HWND hwnd);
std::string TextOf(HWND hwnd);

// The test program's own path.
std::wstring OwnExePath();

// Runs this test program again with `arguments`; returns the process handle (null on failure).
HANDLE StartSelf(const std::wstring& arguments);
// Waits for a process and returns its exit code, or ~0u when it does not end in time.
DWORD WaitExitCode(HANDLE process, DWORD milliseconds);

}  // namespace velt::wintest
