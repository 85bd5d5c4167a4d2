#include "platform/win32/SettingsFile_win.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "core/SaveRecovery.h"
#include "core/SettingsFile.h"
#include "core/StartupRestore.h"
#include "platform/WindowsApi.h"

#include "platform/win32/Files_win.h"
#include "platform/win32/ScopedWin.h"
#include "platform/win32/Text_win.h"

namespace velt::platform::win32 {

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

std::string SettingsFileIo::ApplicationDirectory() {
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

bool SettingsFileIo::FileExists(const std::string& path) {
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

namespace {

static_assert(save_errors::kAccessDenied == ERROR_ACCESS_DENIED);
static_assert(save_errors::kSharingViolation == ERROR_SHARING_VIOLATION);
static_assert(save_errors::kUnableToRemoveReplaced == ERROR_UNABLE_TO_REMOVE_REPLACED);
static_assert(save_errors::kUnableToMoveReplacement == ERROR_UNABLE_TO_MOVE_REPLACEMENT);
static_assert(save_errors::kUnableToMoveReplacement2 == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2);

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

// A save's own files beside the target, "~set.ini.<process>.<counter>" and one of these tails.
constexpr std::wstring_view kNewTail = L".tmp";  // the new bytes, until they take the file's name
constexpr std::wstring_view kOldTail = L".bak";  // the old file, moved aside by the replace

std::wstring SaveFileName(const std::wstring& name, unsigned long counter, std::wstring_view tail) {
    // Numbers through std::to_string: std::to_wstring would bring in a whole wide printf.
    return L"~" + name + L"." + Utf8ToWide(std::to_string(::GetCurrentProcessId())) + L"." +
           Utf8ToWide(std::to_string(counter)) + std::wstring(tail);
}

// True for a name exactly as SaveFileName makes it with `tail`.
bool IsSaveFileNameOf(std::wstring_view candidate, const std::wstring& name, std::wstring_view tail) {
    const std::wstring head = L"~" + name + L".";
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

// Others may keep the file open for anything; reading must not stand in their way, and one that
// holds it without sharing for a moment is waited for. nullopt when it cannot be opened.
std::optional<std::string> ReadHead(const std::wstring& path, std::size_t maxBytes, DWORD& error) {
    const UniqueHandle file =
        OpenRetrying(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, error);
    if (!file) {
        return std::nullopt;
    }
    return ReadUpTo(file.get(), maxBytes, error);
}

// True when the file can be read at once and holds exactly `bytes`.
bool HoldsExactly(const std::wstring& path, std::string_view bytes) {
    const UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD error = ERROR_SUCCESS;
    return file && ReadUpTo(file.get(), bytes.size() + 1, error) == bytes && error == ERROR_SUCCESS;
}

// The save files beside `folder + name`, by path and as found; false when the listing did not
// end as a complete one does, so that one not listed may still be there.
bool ListLeftovers(const std::wstring& folder, const std::wstring& name, std::vector<std::wstring>& paths,
                   std::vector<LeftoverFound>& leftovers) {
    WIN32_FIND_DATAW entry;
    const UniqueFind find(::FindFirstFileW((folder + L"~" + name + L".*").c_str(), &entry));
    if (!find) {
        return ::GetLastError() == ERROR_FILE_NOT_FOUND;
    }
    do {
        // The pattern also matches short names; only the program's own long names count.
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            continue;
        }
        const bool newBytes = IsSaveFileNameOf(entry.cFileName, name, kNewTail);
        if (newBytes || IsSaveFileNameOf(entry.cFileName, name, kOldTail)) {
            const ULONGLONG written =
                (ULONGLONG{entry.ftLastWriteTime.dwHighDateTime} << 32) | entry.ftLastWriteTime.dwLowDateTime;
            paths.push_back(folder + entry.cFileName);
            leftovers.push_back({newBytes, written});
        }
    } while (::FindNextFileW(find.get(), &entry));
    return ::GetLastError() == ERROR_NO_MORE_FILES;
}

LeftoverFound::Read ReadLeftover(const std::wstring& path, bool (*isWhole)(std::string_view bytes)) {
    using Read = LeftoverFound::Read;
    DWORD error = ERROR_SUCCESS;
    const auto bytes = ReadHead(path, kSettingsReadLimit, error);
    if (error == ERROR_FILE_NOT_FOUND) {
        return Read::Cut;  // gone since the listing: no copy
    }
    if (error != ERROR_SUCCESS) {
        return Read::Failed;
    }
    return bytes && isWhole(*bytes) ? Read::Whole : Read::Cut;
}

bool CutAt(HANDLE file, std::size_t length) {
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(length);
    return ::SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && ::SetEndOfFile(file);
}

DWORD WriteFromStart(HANDLE file, std::string_view bytes) {
    return ::SetFilePointerEx(file, LARGE_INTEGER{}, nullptr, FILE_BEGIN) ? WriteEvery(file, bytes)
                                                                          : ::GetLastError();
}

// The old bytes over the file again, and the file cut to their length even when the write failed:
// a failed write may have changed nothing, and what was added for the new bytes then goes.
bool PutBack(HANDLE file, std::string_view old) {
    const bool written = WriteFromStart(file, old) == ERROR_SUCCESS;
    const bool cut = CutAt(file, old.size());
    return written && cut && ::FlushFileBuffers(file);
}

// The file rewritten where it stands, for a folder that lets the file be changed but refuses new
// files beside it. This is not one step, so nothing is begun unless the old bytes are held whole,
// and should the new bytes not all go in, the old ones are written back.
void RewriteInPlace(const std::wstring& target, std::string_view bytes, const std::string& path) {
    DWORD error = ERROR_SUCCESS;
    UniqueHandle file = OpenRetrying(target, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, error);
    if (!file) {
        ThrowFileError("write", path, error);
    }
    // A file too big to hold is not overwritten; set.ini is a few bytes unless someone made it otherwise.
    constexpr std::size_t kKeepLimit = 1 << 20;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size)) {
        ThrowFileError("read", path, ::GetLastError());
    }
    if (size.QuadPart > LONGLONG{kKeepLimit}) {
        ThrowFileError("read", path, ERROR_FILE_TOO_LARGE);
    }
    const std::string old = ReadUpTo(file.get(), kKeepLimit, error);
    if (error != ERROR_SUCCESS || old.size() != static_cast<std::size_t>(size.QuadPart)) {
        ThrowFileError("read", path, error != ERROR_SUCCESS ? error : ERROR_READ_FAULT);
    }

    // Room for the new bytes first, so that a full disk fails before any old byte is overwritten.
    if (bytes.size() > old.size() && !CutAt(file.get(), bytes.size())) {
        error = ::GetLastError();
    } else if ((error = WriteFromStart(file.get(), bytes)) == ERROR_SUCCESS &&
               !(CutAt(file.get(), bytes.size()) && ::FlushFileBuffers(file.get()))) {
        error = ::GetLastError();
    }
    if (error == ERROR_SUCCESS) {
        return;
    }
    // A network drop leaves the handle useless: the old bytes then go back through a fresh one.
    if (!PutBack(file.get(), old)) {
        file.reset();
        DWORD reopenError = ERROR_SUCCESS;
        const UniqueHandle again = OpenRetrying(target, GENERIC_WRITE, FILE_SHARE_READ, reopenError);
        if (again) {
            PutBack(again.get(), old);
        }
    }
    ThrowFileError("write", path, error);
}

constexpr DWORD kSettableAttributes = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN |
                                      FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | FILE_ATTRIBUTE_READONLY |
                                      FILE_ATTRIBUTE_SYSTEM;

// An existing file replaced so that it keeps its own security. The old file is moved aside under
// `backup`, a name of the program's own, so that a replace that fails half way leaves it where it
// can be brought back.
DWORD ReplaceExisting(const std::wstring& target, const std::wstring& temp, const std::wstring& backup) {
    return RetryWhileShared([&] {
        {
            // Whatever keeps the old file from being written or removed makes the replace fail;
            // asked first, so that a replace that cannot work is not begun (Wine's ReplaceFileW
            // moves the old file aside before it finds out).
            const UniqueHandle probe(::CreateFileW(target.c_str(), GENERIC_WRITE | DELETE,
                                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!probe) {
                return FALSE;
            }
        }
        return ::ReplaceFileW(target.c_str(), temp.c_str(), backup.c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS,
                              nullptr, nullptr);
    });
}

// After the step that was to put the new file in place answered `error`: whatever it answered,
// what is on disk now decides what follows. Puts a whole copy under `target` where the disk lets
// it, clears what is no longer needed, and never removes the only copy. True when the new bytes
// are in place, or wait beside it for the next start to put them there.
bool SettleSave(const std::wstring& target, const std::wstring& temp, const std::wstring& backup,
                DWORD& error) {
    bool backupStuck = false;
    // Each round ends, or moves a file or finds one stuck, and so changes what the next one finds.
    for (int round = 0; round < 4; ++round) {
        switch (DecideSaveRecovery(error, {Look(target), NameTaken(temp), NameTaken(backup), backupStuck})) {
        case SaveRecovery::Saved: DeleteRetrying(backup); return true;
        case SaveRecovery::KeepOld:
            DeleteRetrying(temp);
            DeleteRetrying(backup);
            return false;
        case SaveRecovery::MoveNewIn: error = MoveIntoPlace(temp, target); break;
        case SaveRecovery::PutOldBack:
            if (MoveIntoPlace(backup, target) == ERROR_SUCCESS) {
                DeleteRetrying(temp);
                return false;
            }
            backupStuck = true;
            break;
        case SaveRecovery::NewAtNextStart: return true;
        case SaveRecovery::LeaveForNextStart: return false;
        }
    }
    return false;
}

}  // namespace

std::optional<std::string> SettingsFileIo::ReadFileHead(const std::string& path, std::size_t maxBytes) {
    DWORD error = ERROR_SUCCESS;
    return ReadHead(Utf8ToWide(path), maxBytes, error);
}

void SettingsFileIo::ReplaceFileContents(const std::string& path, std::string_view bytes) {
    const std::wstring target = Utf8ToWide(path);
    const auto [folder, name] = SplitFolder(target);
    // Nothing to change: no write and no wait for the disk at each start that registers what
    // the file says, and no failure because another program has the file open.
    if (HoldsExactly(target, bytes)) return;

    // The new bytes go to a file of their own in the same folder, so that the last step swaps
    // files within one volume: the target holds either all the old bytes or all the new ones.
    UniqueHandle file;
    std::wstring temp;
    unsigned long counter = 0;
    DWORD error = ERROR_SUCCESS;
    for (int attempt = 0; attempt < 100; ++attempt) {
        counter = ++tempCounter_;
        temp = folder + SaveFileName(name, counter, kNewTail);
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
    } catch (...) {
        // Not whole, and the old file is untouched.
        file.reset();
        DeleteRetrying(temp);
        throw;
    }

    // Only a new file is renamed into place: an existing one is replaced.
    const bool existing = IsFile(target);
    const DWORD attributes = existing ? ::GetFileAttributesW(target.c_str()) & kSettableAttributes : 0;
    const std::wstring backup = folder + SaveFileName(name, counter, kOldTail);
    error = existing ? ReplaceExisting(target, temp, backup) : MoveIntoPlace(temp, target);
    if (!SettleSave(target, temp, backup, error)) {
        ThrowFileError("replace", path, error);
    }
    // Not every implementation of ReplaceFileW carries the attributes over, and a file moved in
    // after a failed replace has none of the old ones.
    const DWORD now = ::GetFileAttributesW(target.c_str());
    if (existing && now != INVALID_FILE_ATTRIBUTES && (now & kSettableAttributes) != attributes) {
        ::SetFileAttributesW(target.c_str(), attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL);
    }
}

platform::SettingsAtStart SettingsFileIo::RemoveLeftoverFiles(const std::string& path,
                                                              bool (*isWhole)(std::string_view bytes)) {
    const std::wstring target = Utf8ToWide(path);
    const auto [folder, name] = SplitFolder(target);

    std::vector<std::wstring> paths;
    StartupFound found;
    found.listed = ListLeftovers(folder, name, paths, found.leftovers);
    found.target = Look(target);
    if (found.target == Presence::Absent) {
        for (std::size_t i = 0; i < paths.size(); ++i) {
            if (found.leftovers[i].newBytes) {
                found.leftovers[i].read = ReadLeftover(paths[i], isWhole);
            }
        }
    }

    StartupRestore verdict = DecideStartupRestore(found);
    // The decision never picks a leftover whose move has failed, so this ends.
    while (verdict.restore && MoveIntoPlace(paths[*verdict.restore], target) != ERROR_SUCCESS) {
        found.leftovers[*verdict.restore].moveFailed = true;
        found.target = Look(target);
        verdict = DecideStartupRestore(found);
    }
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (verdict.remove[i]) {
            DeleteRetrying(paths[i]);
        }
    }
    return verdict.start;
}

}  // namespace velt::platform::win32
