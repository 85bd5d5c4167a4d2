#include "platform/win32/Win32Api.h"

#include <shellapi.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>

#include "platform/win32/Com_win.h"
#include "platform/win32/Text_win.h"
#include "platform/win32/VersionResource_win.h"

namespace velt::platform::win32 {

static_assert(sizeof(OSVERSIONINFOA) == sizeof(OsVersionInfoA148));
static_assert(sizeof(LUID) == sizeof(Luid));
static_assert(offsetof(TOKEN_PRIVILEGES, Privileges) == offsetof(TokenPrivileges28, Privileges));
static_assert(sizeof(LUID_AND_ATTRIBUTES) == sizeof(LuidAndAttributes));
static_assert(alignof(TOKEN_PRIVILEGES) <= alignof(TokenPrivileges28));

namespace {

constexpr DWORD kVersionResourceId = 1;  // VS_VERSION_INFO

HANDLE ToHandle(Handle handle) noexcept { return reinterpret_cast<HANDLE>(handle); }

Handle FromHandle(HANDLE handle) noexcept { return reinterpret_cast<Handle>(handle); }

std::string ModulePathUtf8() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return WideToUtf8(path);
}

}  // namespace

// --- free helpers

std::wstring DirectoryOfPath(std::wstring_view path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring_view::npos) {
        return {};
    }
    std::wstring directory(path.substr(0, slash));
    if (directory.empty() || directory.back() == L':') {
        directory.push_back(L'\\');  // a root keeps its backslash
    }
    return directory;
}

// --- Win32Api

const wchar_t* const Win32Api::kInstanceMutexName =
    L"Local\\VeltPCTimer-d9099358-947f-4815-a08e-20844d15ad77";

Win32Api::Win32Api() : Win32Api(kInstanceMutexName) {}

Win32Api::Win32Api(std::wstring instanceName) : instanceName_(std::move(instanceName)) {}

Win32Api::~Win32Api() = default;

bool Win32Api::Shell_NotifyIconA(std::uint32_t message, const NotifyIconData89& data) {
    return NotifyIconA(message, data);
}

bool Win32Api::Shell_NotifyIconW(std::uint32_t message, const NotifyIconData89& data,
                                 const std::string& tip) {
    return NotifyIconW(message, data, tip);
}

bool Win32Api::SetForegroundWindow(Handle hwnd) {
    return ::SetForegroundWindow(reinterpret_cast<HWND>(hwnd)) != FALSE;
}

std::uint32_t Win32Api::GetTickCount() {
    // The 32-bit count and its wrap after 49.7 days are what the elapsed-time display expects.
#if defined(_MSC_VER)
#pragma warning(suppress : 28159)
#endif
    return ::GetTickCount();
}

LocalTime Win32Api::GetLocalTime() {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    return LocalTime{now.wHour, now.wMinute, now.wSecond};
}

bool Win32Api::ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) {
    const BOOL ok = ::ExitWindowsEx(flags, reserved);
    SaveLastError();
    return ok != FALSE;
}

bool Win32Api::GetVersionExA(OsVersionInfoA148& info) {
    OSVERSIONINFOA native;
    std::memcpy(&native, &info, sizeof native);
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)
#endif
    const BOOL ok = ::GetVersionExA(&native);
    SaveLastError();
    std::memcpy(&info, &native, sizeof native);
    return ok != FALSE;
}

Handle Win32Api::GetCurrentProcess() { return FromHandle(::GetCurrentProcess()); }

bool Win32Api::OpenProcessToken(Handle process, std::uint32_t desiredAccess, Handle& token) {
    HANDLE opened = nullptr;
    const BOOL ok = ::OpenProcessToken(ToHandle(process), desiredAccess, &opened);
    SaveLastError();
    if (ok) {
        token = FromHandle(opened);
    }
    return ok != FALSE;
}

bool Win32Api::LookupPrivilegeValueA(const char* systemName, const std::string& name, Luid& luid) {
    LUID found = {};
    const BOOL ok = ::LookupPrivilegeValueA(systemName, name.c_str(), &found);
    SaveLastError();
    if (ok) {
        luid.LowPart = found.LowPart;
        luid.HighPart = found.HighPart;
    }
    return ok != FALSE;
}

bool Win32Api::AdjustTokenPrivileges(Handle token, bool disableAllPrivileges,
                                     const TokenPrivileges28& newState, std::uint32_t bufferLength,
                                     void* previousState, std::uint32_t* returnLength) {
    // The whole 28-byte record and the caller's BufferLength go to Windows unchanged.
    TokenPrivileges28 state = newState;
    DWORD returned = 0;
    const BOOL ok = ::AdjustTokenPrivileges(ToHandle(token), disableAllPrivileges ? TRUE : FALSE,
                                            reinterpret_cast<PTOKEN_PRIVILEGES>(&state), bufferLength,
                                            static_cast<PTOKEN_PRIVILEGES>(previousState),
                                            returnLength != nullptr ? &returned : nullptr);
    // ERROR_NOT_ALL_ASSIGNED comes only through the last-error value: keep it before anything
    // else can overwrite it.
    SaveLastError();
    if (returnLength != nullptr) {
        *returnLength = returned;
    }
    return ok != FALSE;
}

std::uint32_t Win32Api::GetLastError() { return lastError_; }

bool Win32Api::CloseHandle(Handle handle) {
    const BOOL ok = ::CloseHandle(ToHandle(handle));
    SaveLastError();
    return ok != FALSE;
}

bool Win32Api::IsAnotherInstanceRunning() {
    if (anotherInstance_) {
        return *anotherInstance_;
    }
    // Creating the named mutex is one atomic step in the kernel: of any number of simultaneous
    // starts exactly one creates it, the others find it.
    ::SetLastError(ERROR_SUCCESS);
    UniqueHandle mutex(::CreateMutexW(nullptr, FALSE, instanceName_.c_str()));
    const DWORD error = ::GetLastError();
    if (!mutex) {
        // Access denied: the mutex exists and belongs to an instance running with other rights.
        anotherInstance_ = error == ERROR_ACCESS_DENIED;
    } else if (error == ERROR_ALREADY_EXISTS) {
        anotherInstance_ = true;  // the first instance keeps the claim; this one lets go
    } else {
        instanceMutex_ = std::move(mutex);
        anotherInstance_ = false;
    }
    return *anotherInstance_;
}

void Win32Api::ExitProcess(std::uint32_t exitCode) { ::ExitProcess(exitCode); }

void Win32Api::OpenWebPage(const std::string& url) {
    // The shell may hand the address to a COM handler.
    const ApartmentScope apartment(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    ::ShellExecuteW(nullptr, L"open", Utf8ToWide(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

VersionInfo Win32Api::GetOwnVersionInfo() {
    const HMODULE module = ::GetModuleHandleW(nullptr);
    const HRSRC found =
        ::FindResourceW(module, MAKEINTRESOURCEW(kVersionResourceId), MAKEINTRESOURCEW(16) /* RT_VERSION */);
    const HGLOBAL loaded = found != nullptr ? ::LoadResource(module, found) : nullptr;
    const void* data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    const DWORD size = data != nullptr ? ::SizeofResource(module, found) : 0;
    const auto info = ParseVersionResource(data, size);
    if (!info) {
        throw PlatformError("the program's version information cannot be read", ModulePathUtf8());
    }
    return *info;
}

std::string Win32Api::ToAnsi(std::string_view utf8) { return WideToCodePage(CP_ACP, Utf8ToWide(utf8)); }

std::string Win32Api::FromAnsi(std::string_view ansi) { return WideToUtf8(CodePageToWide(CP_ACP, ansi)); }

std::string Win32Api::ApplicationDirectory() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            throw PlatformError("the program's own path cannot be read", std::string());
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        if (path.size() >= 0x10000) {
            throw PlatformError("the program's own path is too long", std::string());
        }
        path.resize(path.size() * 2);  // cut short: try again with room to spare
    }
    return WideToUtf8(DirectoryOfPath(path));
}

bool Win32Api::FileExists(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    const DWORD attributes = ::GetFileAttributesW(Utf8ToWide(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    }
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
        return false;
    }
    // Denied, shared away, a network path gone for a moment: the file may well be there.
    throw PlatformError(
        "cannot tell whether " + path + " exists (Windows error " + std::to_string(error) + ")", path);
}

std::optional<std::string> Win32Api::ReadFileHead(const std::string& path, std::size_t maxBytes) {
    // Others may keep the file open for anything; reading must not stand in their way.
    const UniqueHandle file(::CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return std::nullopt;
    }
    constexpr std::size_t kChunk = 64 * 1024;
    std::string bytes;
    bytes.reserve(std::min(maxBytes, kChunk));
    while (bytes.size() < maxBytes) {
        const std::size_t want = std::min(maxBytes - bytes.size(), kChunk);
        const std::size_t at = bytes.size();
        bytes.resize(at + want);
        DWORD got = 0;
        const BOOL ok = ::ReadFile(file.get(), bytes.data() + at, static_cast<DWORD>(want), &got, nullptr);
        bytes.resize(at + (ok ? got : 0));
        if (!ok || got == 0) {
            break;  // end of file, or a read error: what was read so far is the answer
        }
    }
    return bytes;
}

namespace {

struct FolderAndName {
    std::wstring folder;  // with its trailing backslash, or empty
    std::wstring name;
};

FolderAndName SplitFolder(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) {
        return {std::wstring(), path};
    }
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

// The replacement's name: "~set.ini.<process>.<counter>.tmp" beside the target.
std::wstring TemporaryName(const std::wstring& name, unsigned long counter) {
    // Numbers through std::to_string: std::to_wstring would bring in a whole wide printf.
    return L"~" + name + L"." + Utf8ToWide(std::to_string(::GetCurrentProcessId())) + L"." +
           Utf8ToWide(std::to_string(counter)) + L".tmp";
}

[[noreturn]] void ThrowFileError(const char* step, const std::string& path, DWORD error) {
    throw PlatformError(
        std::string("cannot ") + step + " " + path + " (Windows error " + std::to_string(error) + ")", path);
}

void WriteAll(HANDLE file, std::string_view bytes, const std::string& path) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) {
            ThrowFileError("write", path, ::GetLastError());
        }
        done += written;
    }
}

// The file rewritten where it stands, for a folder that lets the file be changed but refuses new
// files beside it. The file keeps its attributes and security; it is not replaced in one step.
void RewriteInPlace(const std::wstring& target, std::string_view bytes, const std::string& path) {
    const UniqueHandle file(::CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        ThrowFileError("write", path, ::GetLastError());
    }
    WriteAll(file.get(), bytes, path);
    if (!::SetEndOfFile(file.get())) {
        ThrowFileError("cut", path, ::GetLastError());
    }
    if (!::FlushFileBuffers(file.get())) {
        ThrowFileError("flush", path, ::GetLastError());
    }
}

constexpr DWORD kSettableAttributes = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN |
                                      FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | FILE_ATTRIBUTE_READONLY |
                                      FILE_ATTRIBUTE_SYSTEM;

bool IsFile(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// "~<name>.<digits>.<digits>.tmp", exactly as TemporaryName makes it.
bool IsTemporaryNameOf(std::wstring_view candidate, const std::wstring& name) {
    const std::wstring head = L"~" + name + L".";
    const std::wstring_view tail = L".tmp";
    if (candidate.size() <= head.size() + tail.size() || candidate.substr(0, head.size()) != head ||
        candidate.substr(candidate.size() - tail.size()) != tail) {
        return false;
    }
    const std::wstring_view numbers =
        candidate.substr(head.size(), candidate.size() - head.size() - tail.size());
    const std::size_t dot = numbers.find(L'.');
    const auto digits = [](std::wstring_view text) {
        return !text.empty() &&
               std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
    };
    return dot != std::wstring_view::npos && digits(numbers.substr(0, dot)) &&
           digits(numbers.substr(dot + 1));
}

}  // namespace

void Win32Api::ReplaceFileContents(const std::string& path, std::string_view bytes) {
    const std::wstring target = Utf8ToWide(path);
    const auto [folder, name] = SplitFolder(target);

    // The new bytes go to a file of their own in the same folder, so that the last step swaps
    // files within one volume: the target holds either all the old bytes or all the new ones.
    UniqueHandle file;
    std::wstring temp;
    DWORD error = ERROR_SUCCESS;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = folder + TemporaryName(name, ++tempCounter_);
        file.reset(::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                 nullptr));
        if (file) {
            break;
        }
        error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            break;
        }
    }
    if (!file) {
        if (error == ERROR_ACCESS_DENIED && IsFile(target)) {
            RewriteInPlace(target, bytes, path);
            return;
        }
        ThrowFileError("create a file beside", path, error);
    }

    try {
        WriteAll(file.get(), bytes, path);
        if (!::FlushFileBuffers(file.get())) {
            ThrowFileError("flush", path, ::GetLastError());
        }
        if (!::CloseHandle(file.release())) {
            ThrowFileError("close", path, ::GetLastError());
        }
        // An existing file is replaced so that it keeps its own attributes and security; only a
        // new one is renamed into place.
        if (IsFile(target)) {
            // Whatever keeps the old file from being written or removed makes the replace fail;
            // asked first, so that nothing of a failed replace is left (Wine's ReplaceFileW
            // moves the old file aside to a file of its own before it fails).
            if (!UniqueHandle(::CreateFileW(target.c_str(), GENERIC_WRITE | DELETE,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))) {
                ThrowFileError("replace", path, ::GetLastError());
            }
            const DWORD attributes = ::GetFileAttributesW(target.c_str()) & kSettableAttributes;
            if (!::ReplaceFileW(target.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                                nullptr, nullptr)) {
                ThrowFileError("replace", path, ::GetLastError());
            }
            // Not every implementation of ReplaceFileW carries the attributes over.
            if ((::GetFileAttributesW(target.c_str()) & kSettableAttributes) != attributes) {
                ::SetFileAttributesW(target.c_str(), attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL);
            }
        } else if (!::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
            ThrowFileError("replace", path, ::GetLastError());
        }
    } catch (...) {
        file.reset();
        ::DeleteFileW(temp.c_str());
        throw;
    }
}

void Win32Api::RemoveLeftoverFiles(const std::string& path) {
    const std::wstring target = Utf8ToWide(path);
    const auto [folder, name] = SplitFolder(target);

    WIN32_FIND_DATAW entry;
    const HANDLE find = ::FindFirstFileW((folder + L"~" + name + L".*.tmp").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        // The pattern also matches short names; only the program's own long names go.
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
            IsTemporaryNameOf(entry.cFileName, name)) {
            ::DeleteFileW((folder + entry.cFileName).c_str());
        }
    } while (::FindNextFileW(find, &entry));
    ::FindClose(find);
}

}  // namespace velt::platform::win32
