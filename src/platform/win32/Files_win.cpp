#include "platform/win32/Files_win.h"

#include <algorithm>

#include "platform/WindowsApi.h"

namespace velt::platform::win32 {

std::string ReadUpTo(HANDLE file, std::size_t maxBytes, DWORD& error) {
    constexpr std::size_t kChunk = 64 * 1024;
    error = ERROR_SUCCESS;
    std::string bytes;
    bytes.reserve(std::min(maxBytes, kChunk));
    while (bytes.size() < maxBytes) {
        const std::size_t want = std::min(maxBytes - bytes.size(), kChunk);
        const std::size_t at = bytes.size();
        bytes.resize(at + want);
        DWORD got = 0;
        const BOOL ok = ::ReadFile(file, bytes.data() + at, static_cast<DWORD>(want), &got, nullptr);
        bytes.resize(at + (ok ? got : 0));
        if (!ok) {
            error = ::GetLastError();
        }
        if (!ok || got == 0) {
            break;
        }
    }
    return bytes;
}

[[noreturn]] void ThrowFileError(const char* step, const std::string& path, DWORD error) {
    throw PlatformError(
        std::string("cannot ") + step + " " + path + " (Windows error " + std::to_string(error) + ")", path);
}

DWORD WriteEvery(HANDLE file, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr)) {
            return ::GetLastError();
        }
        if (written == 0) {
            return ERROR_WRITE_FAULT;  // reported done, but nothing went in
        }
        done += written;
    }
    return ERROR_SUCCESS;
}

void WriteAll(HANDLE file, std::string_view bytes, const std::string& path) {
    if (const DWORD error = WriteEvery(file, bytes); error != ERROR_SUCCESS) {
        ThrowFileError("write", path, error);
    }
}

UniqueHandle OpenRetrying(const std::wstring& path, DWORD access, DWORD share, DWORD& error) {
    UniqueHandle file;
    error = RetryWhileShared([&] {
        file.reset(::CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                 nullptr));
        return static_cast<bool>(file);
    });
    return file;
}

void DeleteRetrying(const std::wstring& path) {
    RetryWhileShared([&] { return ::DeleteFileW(path.c_str()); });
}

// `from` under `target`'s name, replacing whatever is there, and on the disk before it returns.
DWORD MoveIntoPlace(const std::wstring& from, const std::wstring& target) {
    return RetryWhileShared([&] {
        return ::MoveFileExW(from.c_str(), target.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    });
}

bool IsFile(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

Presence Look(const std::wstring& path) {
    if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        return Presence::Present;
    }
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Presence::Absent
                                                                          : Presence::Unknown;
}

// Whether anything stands under the name; what cannot be examined may well be there.
bool NameTaken(const std::wstring& path) { return Look(path) != Presence::Absent; }

}  // namespace velt::platform::win32
