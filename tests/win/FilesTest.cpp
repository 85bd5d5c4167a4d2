// The file operations of Win32Api against the real file system (under Wine).
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "core/SettingsFile.h"
#include "platform/win32/Win32Api.h"

namespace {

using velt::platform::PlatformError;
using velt::platform::win32::DirectoryOfPath;
using velt::platform::win32::Win32Api;
using velt::wintest::ReadWholeFile;
using velt::wintest::TempFolder;
using velt::wintest::WriteWholeFile;
using namespace std::string_literals;

const std::string kOld = "0\r\n00\r\n00\r\nFalse\r\n";
const std::string kNew = "2\r\n23\r\n45\r\nTrue\r\n";

class Files : public testing::Test {
protected:
    Win32Api api_{L"Local\\velt-test-files"};
};

// ---- ReplaceFileContents

TEST_F(Files, ReplaceWritesExactlyTheNewBytes) {
    const std::string binary = "a\0b\r\n\xFF\x81\x40"s + std::string(70000, 'x');
    struct Case {
        const char* name;
        std::string before;  // empty: no file yet
        std::string after;
    };
    const Case cases[] = {
        {"new file", "", kNew},
        {"longer old file", kOld + "a fifth line\r\n", kNew},
        {"shorter old file", "1", kNew},
        {"to empty", kOld, ""},
        {"binary and large", kOld, binary},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        const std::wstring target = folder.File(L"set.ini");
        if (!c.before.empty()) {
            WriteWholeFile(target, c.before);
        }
        api_.ReplaceFileContents(folder.FileUtf8(L"set.ini"), c.after);
        EXPECT_EQ(ReadWholeFile(target), c.after) << c.name;
        EXPECT_EQ(folder.Entries(), std::set<std::wstring>{L"set.ini"}) << c.name;
    }
}

TEST_F(Files, ReplaceWorksInAJapaneseFolder) {
    TempFolder folder(L"設定フォルダ ﾃｽﾄ");
    api_.ReplaceFileContents(folder.FileUtf8(L"set.ini"), kNew);
    EXPECT_EQ(ReadWholeFile(folder.File(L"set.ini")), kNew);
    EXPECT_TRUE(api_.FileExists(folder.FileUtf8(L"set.ini")));
}

TEST_F(Files, ReplaceAgainAndAgainLeavesOneFile) {
    TempFolder folder;
    for (int i = 0; i < 20; ++i) {
        api_.ReplaceFileContents(folder.FileUtf8(L"set.ini"), std::to_string(i));
    }
    EXPECT_EQ(ReadWholeFile(folder.File(L"set.ini")), "19");
    EXPECT_EQ(folder.Entries(), std::set<std::wstring>{L"set.ini"});
}

TEST_F(Files, ReplaceKeepsTheOldFilesAttributes) {
    TempFolder folder;
    const std::wstring target = folder.File(L"set.ini");
    WriteWholeFile(target, kOld);
    ASSERT_TRUE(::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    api_.ReplaceFileContents(folder.FileUtf8(L"set.ini"), kNew);
    EXPECT_EQ(ReadWholeFile(target), kNew);
    EXPECT_NE(::GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
    ::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Files, LeftoversOfACutOffSaveAreRemovedAndNothingElse) {
    TempFolder folder;
    const std::set<std::wstring> kept = {
        L"set.ini",  L"~set.ini.tmp", L"~set.ini.12.x.tmp", L"~other.ini.12.3.tmp", L"~set.ini.12.3.tmp.bak",
        L"notes.txt"};
    for (const auto& name : kept) {
        WriteWholeFile(folder.File(name), "x");
    }
    for (const wchar_t* name : {L"~set.ini.4242.1.tmp", L"~set.ini.7.100.tmp"}) {
        WriteWholeFile(folder.File(name), "half a save");
    }
    ASSERT_TRUE(::CreateDirectoryW(folder.File(L"~set.ini.1.1.tmp").c_str(), nullptr));
    api_.RemoveLeftoverFiles(folder.FileUtf8(L"set.ini"), &velt::IsWholeSettingsFile);
    std::set<std::wstring> expected = kept;
    expected.insert(L"~set.ini.1.1.tmp");
    EXPECT_EQ(folder.Entries(), expected);
}

// set.ini lost between a save's steps: the newest whole new bytes, or else the old file moved
// aside, take its place before the rest is cleared away.
TEST_F(Files, ALostFileComesBackFromWhatTheSaveLeftBesideIt) {
    struct Leftover {
        const wchar_t* name;
        std::string bytes;
        int minutesOld;
    };
    struct Case {
        const char* what;
        std::vector<Leftover> leftovers;
        std::string expected;  // set.ini afterwards ("" for none)
    };
    const std::string cutOff = kNew.substr(0, 7);
    const Case cases[] = {
        {"newest whole new bytes",
         {{L"~set.ini.7.1.tmp", kOld, 30},
          {L"~set.ini.8.2.tmp", kNew, 20},
          {L"~set.ini.9.1.tmp", cutOff, 10},
          {L"~set.ini.8.2.bak", kOld, 40}},
         kNew},
        {"no whole new bytes: the old file",
         {{L"~set.ini.9.1.tmp", cutOff, 10}, {L"~set.ini.9.1.bak", kOld, 40}},
         kOld},
        {"nothing whole", {{L"~set.ini.9.1.tmp", cutOff, 10}, {L"~set.ini.9.2.tmp", "", 5}}, ""},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        for (const auto& leftover : c.leftovers) {
            WriteWholeFile(folder.File(leftover.name), leftover.bytes);
            const HANDLE file = ::CreateFileW(folder.File(leftover.name).c_str(), FILE_WRITE_ATTRIBUTES, 0,
                                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            ASSERT_NE(file, INVALID_HANDLE_VALUE);
            FILETIME now;
            ::GetSystemTimeAsFileTime(&now);
            ULARGE_INTEGER time{{now.dwLowDateTime, now.dwHighDateTime}};
            time.QuadPart -= ULONGLONG{600000000} * leftover.minutesOld;
            const FILETIME written{time.LowPart, time.HighPart};
            EXPECT_TRUE(::SetFileTime(file, nullptr, nullptr, &written));
            ::CloseHandle(file);
        }
        api_.RemoveLeftoverFiles(folder.FileUtf8(L"set.ini"), &velt::IsWholeSettingsFile);
        if (c.expected.empty()) {
            EXPECT_TRUE(folder.Entries().empty()) << c.what;
        } else {
            EXPECT_EQ(ReadWholeFile(folder.File(L"set.ini")), c.expected) << c.what;
            EXPECT_EQ(folder.Entries(), std::set<std::wstring>{L"set.ini"}) << c.what;
        }
    }
}

TEST_F(Files, ReplaceOfALockedFileThrowsAndKeepsTheOldBytes) {
    TempFolder folder;
    const std::wstring target = folder.File(L"set.ini");
    WriteWholeFile(target, kOld);
    // Another program holds the file open and shares nothing.
    const HANDLE lock = ::CreateFileW(target.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    try {
        api_.ReplaceFileContents(folder.FileUtf8(L"set.ini"), kNew);
        ADD_FAILURE() << "no error for a locked file";
    } catch (const PlatformError& e) {
        EXPECT_EQ(e.path(), folder.FileUtf8(L"set.ini"));
        EXPECT_NE(std::string(e.what()), "");
    }
    ::CloseHandle(lock);
    EXPECT_EQ(ReadWholeFile(target), kOld);
    EXPECT_EQ(folder.Entries(), std::set<std::wstring>{L"set.ini"});
}

TEST_F(Files, ASaveOfWhatTheFileHoldsLeavesItAsItIs) {
    TempFolder folder;
    const std::wstring target = folder.File(L"set.ini");
    WriteWholeFile(target, kNew);
    // Another program reads the file and lets nobody write it.
    const HANDLE reader = ::CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    FILETIME before{}, after{};
    ::GetFileTime(reader, nullptr, nullptr, &before);
    EXPECT_NO_THROW(api_.ReplaceFileContents(folder.FileUtf8(L"set.ini"), kNew));
    ::GetFileTime(reader, nullptr, nullptr, &after);
    ::CloseHandle(reader);
    EXPECT_EQ(::CompareFileTime(&before, &after), 0);
    EXPECT_EQ(ReadWholeFile(target), kNew);
    EXPECT_EQ(folder.Entries(), std::set<std::wstring>{L"set.ini"});
}

TEST_F(Files, ReplaceThrowsWhenTheTargetIsAFolder) {
    TempFolder folder;
    ASSERT_TRUE(::CreateDirectoryW(folder.File(L"set.ini").c_str(), nullptr));
    EXPECT_THROW(api_.ReplaceFileContents(folder.FileUtf8(L"set.ini"), kNew), PlatformError);
    EXPECT_EQ(folder.Entries(), std::set<std::wstring>{L"set.ini"});
    EXPECT_FALSE(api_.FileExists(folder.FileUtf8(L"set.ini")));
}

TEST_F(Files, ReplaceThrowsInAMissingFolder) {
    TempFolder folder;
    const std::string path = folder.FileUtf8(L"gone\\set.ini");
    try {
        api_.ReplaceFileContents(path, kNew);
        ADD_FAILURE() << "no error for a missing folder";
    } catch (const PlatformError& e) {
        EXPECT_EQ(e.path(), path);
    }
    EXPECT_TRUE(folder.Entries().empty());
}

// Run through ctest: readonly-folder.sh makes the folders from the Linux side, where nothing
// inside Wine can undo it (chattr +i holds even for root).
TEST(ReadOnlyFolder, EachFolderGetsWhatItAllows) {
    wchar_t unixPath[1024] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"VELT_READONLY_DIR", unixPath, 1024);
    ASSERT_TRUE(length > 0 && length < 1024) << "VELT_READONLY_DIR is set by ctest's fixture";
    std::string root = "Z:"s + velt::wintest::Utf8(unixPath);
    std::replace(root.begin(), root.end(), '/', '\\');
    const auto names = [](const std::string& folder) {
        WIN32_FIND_DATAW entry;
        std::set<std::wstring> found;
        const HANDLE find = ::FindFirstFileW(velt::wintest::Wide(folder + "\\*").c_str(), &entry);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                found.insert(entry.cFileName);
            } while (::FindNextFileW(find, &entry));
            ::FindClose(find);
        }
        return found;
    };
    const std::set<std::wstring> setIniOnly{L".", L"..", L"set.ini"}, nothing{L".", L".."};
    struct Case {
        const char* folder;
        bool saves;         // the new bytes arrive
        std::string after;  // set.ini afterwards ("" for none)
    };
    const Case cases[] = {
        // New files refused, set.ini itself writable: rewritten in place.
        {"folder-only", true, kNew},
        {"both", false, kOld},
        {"empty", false, ""},
    };
    Win32Api api(L"Local\\velt-test-readonly");
    for (const auto& c : cases) {
        const std::string folder = root + "\\" + c.folder;
        const std::string path = folder + "\\set.ini";
        if (c.saves) {
            EXPECT_NO_THROW(api.ReplaceFileContents(path, kNew)) << c.folder;
        } else {
            EXPECT_THROW(api.ReplaceFileContents(path, kNew), PlatformError) << c.folder;
        }
        const bool hasFile = !c.after.empty();
        EXPECT_EQ(api.FileExists(path), hasFile) << c.folder;
        if (hasFile) {
            EXPECT_EQ(ReadWholeFile(velt::wintest::Wide(path)), c.after) << c.folder;
        }
        EXPECT_EQ(names(folder), hasFile ? setIniOnly : nothing) << c.folder;
    }

    // A set.ini whose attributes cannot be read may still be there: no answer, not "missing".
    try {
        api.FileExists(root + "\\loop\\set.ini");
        ADD_FAILURE() << "an unreadable entry answered as if it could be told";
    } catch (const PlatformError& e) {
        EXPECT_EQ(e.path(), root + "\\loop\\set.ini");
    }
}

// ---- ReadFileHead

TEST_F(Files, ReadFileHeadStopsAtTheBound) {
    std::string big(200000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) {
        big[i] = static_cast<char>(i * 7 + i / 256);
    }
    TempFolder folder;
    WriteWholeFile(folder.File(L"big.bin"), big);
    WriteWholeFile(folder.File(L"small.ini"), kOld);
    WriteWholeFile(folder.File(L"empty.ini"), "");
    struct Case {
        const wchar_t* name;
        std::size_t maxBytes;
        std::string expected;
    };
    const Case cases[] = {
        {L"small.ini", 4, kOld.substr(0, 4)},
        {L"small.ini", kOld.size(), kOld},
        {L"small.ini", 1000, kOld},
        {L"small.ini", 0, ""},
        {L"empty.ini", 100, ""},
        {L"big.bin", 65536, big.substr(0, 65536)},
        {L"big.bin", 150001, big.substr(0, 150001)},  // over several reads
        {L"big.bin", 1u << 30, big},
    };
    for (const auto& c : cases) {
        const auto head = api_.ReadFileHead(folder.FileUtf8(c.name), c.maxBytes);
        ASSERT_TRUE(head.has_value()) << velt::wintest::Utf8(c.name);
        EXPECT_EQ(*head, c.expected) << velt::wintest::Utf8(c.name) << " max " << c.maxBytes;
    }
}

TEST_F(Files, ReadFileHeadIsNulloptWhenTheFileCannotBeOpened) {
    TempFolder folder;
    ASSERT_TRUE(::CreateDirectoryW(folder.File(L"set.ini").c_str(), nullptr));
    EXPECT_EQ(api_.ReadFileHead(folder.FileUtf8(L"set.ini"), 100), std::nullopt);
    EXPECT_EQ(api_.ReadFileHead(folder.FileUtf8(L"missing.ini"), 100), std::nullopt);
    EXPECT_EQ(api_.ReadFileHead(folder.FileUtf8(L"no\\such\\folder.ini"), 100), std::nullopt);

    WriteWholeFile(folder.File(L"locked.ini"), kOld);
    const HANDLE lock = ::CreateFileW(folder.File(L"locked.ini").c_str(), GENERIC_READ, 0, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_EQ(api_.ReadFileHead(folder.FileUtf8(L"locked.ini"), 100), std::nullopt);
    ::CloseHandle(lock);
}

TEST_F(Files, ReadFileHeadSharesWithWritersAndDeleters) {
    TempFolder folder;
    const std::wstring path = folder.File(L"set.ini");
    WriteWholeFile(path, kOld);
    const HANDLE writer = ::CreateFileW(path.c_str(), GENERIC_WRITE | DELETE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(api_.ReadFileHead(folder.FileUtf8(L"set.ini"), 100), kOld);
    ::CloseHandle(writer);
}

// Scanners and sync clients open a file without sharing for a moment: a read waits them out, at
// start-up for set.ini and for the only copy of a save alike.
TEST_F(Files, AFileHeldForAMomentIsStillRead) {
    struct Case {
        const wchar_t* held;  // the only file in the folder
        bool restored;        // a leftover that takes set.ini's place
    };
    for (const Case c : {Case{L"set.ini", false}, Case{L"~set.ini.4242.1.tmp", true}}) {
        TempFolder folder;
        const std::wstring path = folder.File(c.held);
        WriteWholeFile(path, kNew);
        const HANDLE holder =
            ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(holder, INVALID_HANDLE_VALUE);
        ASSERT_EQ(api_.ReadFileHead(folder.FileUtf8(c.held), 0), std::nullopt) << "no sharing violation";
        std::thread letGo([holder] {
            ::Sleep(150);
            ::CloseHandle(holder);
        });
        if (c.restored) {
            EXPECT_EQ(api_.RemoveLeftoverFiles(folder.FileUtf8(L"set.ini"), &velt::IsWholeSettingsFile),
                      velt::platform::SettingsAtStart::ReadOrDefaults);
            EXPECT_EQ(folder.Entries(), std::set<std::wstring>{L"set.ini"});
        }
        EXPECT_EQ(api_.ReadFileHead(folder.FileUtf8(L"set.ini"), 100), kNew);
        letGo.join();
    }
}

// ---- FileExists, ApplicationDirectory

TEST_F(Files, FileExistsOnlyForFiles) {
    TempFolder folder(L"存在 テスト");
    WriteWholeFile(folder.File(L"set.ini"), kOld);
    WriteWholeFile(folder.File(L"設定.ini"), kOld);
    ASSERT_TRUE(::CreateDirectoryW(folder.File(L"dir.ini").c_str(), nullptr));
    EXPECT_TRUE(api_.FileExists(folder.FileUtf8(L"set.ini")));
    EXPECT_TRUE(api_.FileExists(folder.FileUtf8(L"設定.ini")));
    EXPECT_FALSE(api_.FileExists(folder.FileUtf8(L"dir.ini")));
    EXPECT_FALSE(api_.FileExists(folder.FileUtf8(L"missing.ini")));
    EXPECT_FALSE(api_.FileExists(folder.Utf8()));
    EXPECT_FALSE(api_.FileExists(""));
}

TEST_F(Files, ApplicationDirectoryIsTheFolderOfTheProgram) {
    const std::string directory = api_.ApplicationDirectory();
    const std::wstring exe = velt::wintest::OwnExePath();
    const std::wstring exeName = exe.substr(exe.find_last_of(L'\\') + 1);
    ASSERT_FALSE(directory.empty());
    EXPECT_NE(directory.back(), '\\');
    EXPECT_TRUE(api_.FileExists(directory + "\\" + velt::wintest::Utf8(exeName)));
    EXPECT_EQ(velt::wintest::Wide(directory) + L"\\" + exeName, exe);
}

TEST(DirectoryOfPath, KeepsTheBackslashOfARootOnly) {
    struct Case {
        const wchar_t* path;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"C:\\Program Files\\Velt\\VeltPCTimer.exe", L"C:\\Program Files\\Velt"},
        {L"C:\\VeltPCTimer.exe", L"C:\\"},
        {L"Z:\\work\\dist\\x64\\a.exe", L"Z:\\work\\dist\\x64"},
        {L"\\\\server\\share\\a.exe", L"\\\\server\\share"},
        {L"\\\\?\\C:\\a.exe", L"\\\\?\\C:\\"},
        {L"\\a.exe", L"\\"},
        {L"a.exe", L""},
        {L"C:\\フォルダ\\a.exe", L"C:\\フォルダ"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DirectoryOfPath(c.path), c.expected) << velt::wintest::Utf8(c.path);
    }
}

}  // namespace
