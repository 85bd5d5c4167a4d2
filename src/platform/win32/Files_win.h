// File calls that stand up to what else runs on a desktop: scanners, indexers and sync clients
// that hold a file for a moment, reads cut short, names that cannot be examined. Used by the
// settings file's Windows half.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "core/SaveRecovery.h"
#include "platform/win32/ScopedWin.h"

namespace velt::platform::win32 {

// Up to maxBytes from the file's current position: what was read before an error or the end.
// `error` is the failed read's, or ERROR_SUCCESS.
std::string ReadUpTo(HANDLE file, std::size_t maxBytes, DWORD& error);
// All of `bytes` from the file's current position: ERROR_SUCCESS or the failed write's error.
DWORD WriteEvery(HANDLE file, std::string_view bytes);
// All of `bytes`, or a PlatformError naming `path`.
void WriteAll(HANDLE file, std::string_view bytes, const std::string& path);
[[noreturn]] void ThrowFileError(const char* step, const std::string& path, DWORD error);

// Scanners, indexers and sync clients open a file that has just been written and let go of it
// within moments: a call they stand in the way of is made again for up to half a second.
inline constexpr int kSharedAttempts = 10;
inline constexpr DWORD kSharedPauseMs = 50;

// Makes `call` (a Windows call answering BOOL) until it succeeds or fails for another reason;
// answers ERROR_SUCCESS or the last error.
template <class Call>
DWORD RetryWhileShared(const Call& call) {
    for (int attempt = 1;; ++attempt) {
        if (call()) {
            return ERROR_SUCCESS;
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_SHARING_VIOLATION || attempt == kSharedAttempts) {
            return error;
        }
        ::Sleep(kSharedPauseMs);
    }
}

// An existing file opened, waiting out a moment of sharing; null with `error` set when it
// cannot be.
UniqueHandle OpenRetrying(const std::wstring& path, DWORD access, DWORD share, DWORD& error);
void DeleteRetrying(const std::wstring& path);
// `from` under `target`'s name, replacing whatever is there, and on the disk before it returns.
DWORD MoveIntoPlace(const std::wstring& from, const std::wstring& target);

bool IsFile(const std::wstring& path);
Presence Look(const std::wstring& path);
// Whether anything stands under the name; what cannot be examined may well be there.
bool NameTaken(const std::wstring& path);

}  // namespace velt::platform::win32
