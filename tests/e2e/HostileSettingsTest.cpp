// Start-up with set.ini files nobody should write, and with set.ini or its folder out of reach.
// Each must come up within a second, hidden, without a crash or a message, in the state the
// reading rules give; set.ini is either the earlier file unchanged or four complete lines the
// program wrote; nothing but set.ini appears in the folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <psapi.h>

#include <functional>
#include <random>

#include "MainView.h"

namespace velt::e2e {
namespace {

// Bytes that are neither separators, blanks, quotes nor digits: single-byte katakana and
// control characters in code page 932.
std::string Garbage(std::mt19937& random, std::size_t n) {
    std::string bytes;
    std::uniform_int_distribution<int> pick(0, 0xDF - 0xA1 + 9);
    for (std::size_t i = 0; i < n; ++i) {
        const int v = pick(random);
        bytes.push_back(static_cast<char>(v < 9 ? v : 0xA1 + v - 9));
    }
    return bytes;
}

std::string RandomBytes(std::mt19937& random, std::size_t n) {
    std::string bytes(n, '\0');
    std::uniform_int_distribution<int> pick(0, 255);
    for (char& b : bytes) {
        b = static_cast<char>(pick(random));
    }
    return bytes;
}

// Four fields of garbage, each starting with a byte that is no character at all, then 64 KB
// of anything.
std::string GarbageFieldsThenNoise() {
    std::mt19937 random(20240601);
    return "\xFF" + Garbage(random, 200) + ",\xFF" + Garbage(random, 50) + "\r\n\xFF" + Garbage(random, 70) +
           "\n\xFF" + Garbage(random, 10) + "\r\n" + RandomBytes(random, 64 * 1024);
}

std::string Noise() {
    std::mt19937 random(7);
    return RandomBytes(random, 1024 * 1024);
}

std::string HundredMegabytes() {
    std::string bytes = "1\r\n07\r\n30\r\nTrue\r\n";
    const std::string line = "2,23,59,False,\"x\"\r\n";
    bytes.reserve(100u * 1024 * 1024 + line.size());
    while (bytes.size() < 100u * 1024 * 1024) {
        bytes += line;
    }
    return bytes;
}

enum class Setup {
    None,
    Locked,             // another process holds set.ini open without sharing
    ReadOnlyAttribute,  // FILE_ATTRIBUTE_READONLY on set.ini
    ImmutableFile,      // set.ini immutable on the host: nobody can write or replace it
    ImmutableFolder,    // the folder immutable: nothing can be created, renamed or deleted in it,
                        // but set.ini itself may still be rewritten
    Directory,          // set.ini is a directory
};

enum class FileAfter {
    Unchanged,
    Written,  // the four lines of the registration the case expects
    UnchangedOrWritten,
    Consistent,  // unknown content: whatever the window shows, set.ini agrees with it
};

struct Hostile {
    const char* name;
    std::function<std::optional<std::string>()> content;  // nullopt: no set.ini
    Setup setup;
    // The state the rules give; `registered` with action, hour and minute as shown.
    int action;
    const char* hour;
    const char* minute;
    int atStart;
    bool registered;
    FileAfter file;  // Written: the four lines of the registration above
};

std::ostream& operator<<(std::ostream& out, const Hostile& h) { return out << h.name; }

class HostileSettings : public testing::TestWithParam<Hostile> {};

// One start in a fresh folder holding the file of `h`: every check but the time it took.
void StartWith(const Hostile& h, Millis& took) {
    if (h.registered) {
        StayClearOf(std::stoi(h.hour), std::stoi(h.minute));
    }
    AppFolder folder(L"hostile");
    const std::optional<std::string> before = h.content();
    if (h.setup == Setup::Directory) {
        ASSERT_TRUE(::CreateDirectoryW(folder.Settings().c_str(), nullptr));
    } else if (before) {
        folder.WriteSettings(*before);
    }

    HANDLE lock = INVALID_HANDLE_VALUE;
    std::optional<HostImmutable> immutable;
    switch (h.setup) {
    case Setup::Locked:
        lock = ::CreateFileW(folder.Settings().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, lock);
        break;
    case Setup::ReadOnlyAttribute:
        ASSERT_TRUE(::SetFileAttributesW(folder.Settings().c_str(), FILE_ATTRIBUTE_READONLY));
        break;
    case Setup::ImmutableFile:
        immutable.emplace(folder.UnixPath() + "/set.ini", folder.Settings());
        ASSERT_TRUE(immutable->Effective()) << "chattr +i has no effect on this file system";
        break;
    case Setup::ImmutableFolder:
        immutable.emplace(folder.UnixPath(), folder.Path());
        ASSERT_TRUE(immutable->Effective()) << "chattr +i has no effect on this file system";
        break;
    case Setup::None:
    case Setup::Directory: break;
    }

    Program program(folder);
    const std::optional<Millis> idle = program.WaitInputIdle(5s);
    ASSERT_NE(nullptr, program.WaitMainWindow(5s)) << "no main window";
    const MainState expected = Expected(h.action, h.hour, h.minute, h.atStart, h.registered);
    const std::string written = SettingsBytes(h.action, h.hour, h.minute, h.atStart == 0);
    auto fileOk = [&] {
        if (h.setup == Setup::Locked || h.setup == Setup::Directory) {
            return true;  // checked below
        }
        const std::optional<std::string> now = folder.ReadSettings();
        switch (h.file) {
        case FileAfter::Unchanged: return now == before;
        case FileAfter::Written: return now == written;
        case FileAfter::UnchangedOrWritten: return now == before || now == written;
        case FileAfter::Consistent: return true;
        }
        return false;
    };
    // Unknown content: settled when the window shows one of the two states the rules allow,
    // with set.ini to match.
    // (A read served while start-up still runs can mix old and new values; the finished state
    // has an action and a start-up option selected.)
    auto consistent = [&](const MainState& s) {
        if (s.status == kNotRegistered) {
            return s.action >= 0 && s.action <= 2 && s.atStart == 1 && s.cmdOnEnabled && !s.command5Enabled &&
                   !s.visible && folder.ReadSettings() == before;
        }
        if (s.action < 0 || s.action > 2 || s.atStart < 0 || s.atStart > 1) {
            return false;
        }
        return s == Expected(s.action, s.hour, s.minute, s.atStart, true) &&
               folder.ReadSettings() == SettingsBytes(s.action, s.hour, s.minute, s.atStart == 0);
    };
    MainState seen;
    const std::optional<Millis> up = WaitSettled(
        program, idle,
        [&] {
            seen = ReadState(program);
            return h.file == FileAfter::Consistent ? consistent(seen) : seen == expected && fileOk();
        },
        10s);
    took = up.value_or(program.SinceStart());
    EXPECT_TRUE(up) << "state " << seen;

    if (lock != INVALID_HANDLE_VALUE) {
        ::CloseHandle(lock);
    }
    if (immutable) {
        immutable->Release();
    }

    // Still running, said nothing, shows nothing, and its memory stayed small.
    EXPECT_TRUE(program.Running()) << "the program ended";
    EXPECT_FALSE(program.HasMessageBox()) << "start-up reported something";
    EXPECT_FALSE(::IsWindowVisible(program.Main()));
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    ASSERT_TRUE(::K32GetProcessMemoryInfo(program.Process(), &memory, sizeof memory));
    ASSERT_GT(memory.PeakWorkingSetSize, 0u);
    EXPECT_LT(memory.PeakWorkingSetSize, 64u * 1024 * 1024) << "peak working set";

    // Nothing lost: the earlier file, or four complete lines the program wrote.
    if (h.setup == Setup::Directory) {
        const DWORD attributes = ::GetFileAttributesW(folder.Settings().c_str());
        EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            << "the directory set.ini was replaced";
    } else {
        const std::optional<std::string> after = folder.ReadSettings();
        const bool unchanged = after == before;
        const bool ownFile =
            h.file == FileAfter::Consistent
                ? after == SettingsBytes(seen.action, seen.hour, seen.minute, seen.atStart == 0)
                : after == written && h.registered;
        EXPECT_TRUE(unchanged || ownFile)
            << "set.ini is neither the earlier file nor the program's four lines: "
            << after.value_or("(none)").substr(0, 64);
        if (h.file == FileAfter::Unchanged) {
            EXPECT_TRUE(unchanged) << "set.ini changed";
        } else if (h.file == FileAfter::Written) {
            EXPECT_EQ(written, after.value_or("(none)"));
        }
    }
    std::set<std::wstring> allowed = folder.InitialEntries();
    allowed.insert(L"set.ini");
    for (const std::wstring& entry : folder.Entries()) {
        EXPECT_TRUE(allowed.count(entry)) << "left behind: " << Utf8(entry);
    }
    ::SetFileAttributesW(folder.Settings().c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_P(HostileSettings, ComesUpQuicklyInTheStateTheRulesGiveAndLosesNothing) {
    const Hostile h = GetParam();
    ExpectUpInTime([&](Millis& took) { StartWith(h, took); });
}

std::string ShiftJis(const char* utf8) { return ToAnsi(utf8); }

// What each file reads as: the first four fields, a field ending at a comma or a line end;
// the action only by an exact "0", "1" or "2"; a time only when it is a list entry; the
// start-up flag True for "True" in any case or a non-zero number, False for anything else.
const Hostile kCases[] = {
    {"RandomBinary", [] { return GarbageFieldsThenNoise(); }, Setup::None, 0, "00", "00", 1, false,
     FileAfter::Unchanged},
    {"RandomMegabyte", [] { return Noise(); }, Setup::None, 0, "00", "00", 1, false, FileAfter::Consistent},
    {"HundredMegabytes", [] { return HundredMegabytes(); }, Setup::None, 1, "07", "30", 0, true,
     FileAfter::Written},
    {"TenMegabyteLineWithoutLineEnd", [] { return std::string(10u * 1024 * 1024, '1'); }, Setup::None, 0,
     "00", "00", 1, false, FileAfter::Unchanged},
    {"DirectoryNamedSetIni", [] { return std::optional<std::string>(); }, Setup::Directory, 0, "00", "00", 0,
     true, FileAfter::Unchanged},
    {"LockedByAnotherProcess", [] { return std::string("1\r\n07\r\n30\r\nTrue\r\n"); }, Setup::Locked, 0,
     "00", "00", 1, false, FileAfter::Unchanged},
    // Wine running as root writes through the read-only attribute; Windows would refuse.
    {"ReadOnlyAttribute", [] { return std::string("1\r\n07\r\n30\r\n1\r\n"); }, Setup::ReadOnlyAttribute, 1,
     "07", "30", 0, true, FileAfter::UnchangedOrWritten},
    {"ImmutableFile", [] { return std::string("1\r\n07\r\n30\r\n1\r\n"); }, Setup::ImmutableFile, 1, "07",
     "30", 0, true, FileAfter::Unchanged},
    {"ImmutableFolder", [] { return std::string("2\r\n16\r\n45\r\n-1\r\n"); }, Setup::ImmutableFolder, 2,
     "16", "45", 0, true, FileAfter::Written},
    {"ImmutableFolderWithoutSetIni", [] { return std::optional<std::string>(); }, Setup::ImmutableFolder, 0,
     "00", "00", 0, true, FileAfter::Unchanged},
    {"CommasAndQuotesInEveryLine",
     [] { return std::string("\"1\", \"07\"\r\n\"30\",\"True\"\r\n\"2\",\"23\"\r\n\"59\",\"False\"\r\n"); },
     Setup::None, 1, "07", "30", 0, true, FileAfter::Written},
    {"CarriageReturnLineEnds", [] { return std::string("2\r23\r45\rTrue\r"); }, Setup::None, 2, "23", "45", 0,
     true, FileAfter::Written},
    // Editors put a byte-order mark in front; the program reads past it.
    {"Utf8ByteOrderMark",
     [] {
         return std::string(
             "\xEF\xBB\xBF"
             "1\r\n07\r\n30\r\nTrue\r\n");
     },
     Setup::None, 1, "07", "30", 0, true, FileAfter::Written},
    {"ShiftJisActionName", [] { return ShiftJis("再起動\r\n23\r\n45\r\nTrue\r\n"); }, Setup::None, 0, "23",
     "45", 0, true, FileAfter::Written},
    {"ShiftJisEverywhere", [] { return ShiftJis("２\r\n表示\r\n30\r\nはい\r\n"); }, Setup::None, 0, "00",
     "30", 1, false, FileAfter::Unchanged},
    {"EmptyFile", [] { return std::string(); }, Setup::None, 0, "00", "00", 1, false, FileAfter::Unchanged},
    {"OnlyTwoLines", [] { return std::string("2\r\n07\r\n"); }, Setup::None, 2, "07", "00", 1, false,
     FileAfter::Unchanged},
};

INSTANTIATE_TEST_SUITE_P(Files, HostileSettings, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Hostile>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace velt::e2e
