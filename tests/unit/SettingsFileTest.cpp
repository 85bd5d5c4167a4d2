#include <gtest/gtest.h>

#include "core/SaveRecovery.h"
#include "core/SettingsFile.h"
#include "core/StartupRestore.h"
#include "doubles/Harness.h"

namespace velt {
namespace {

using platform::Ctl;
using namespace std::string_literals;

TEST(SettingsReader, SplitsFieldsAsTheFileFormatSays) {
    struct Case {
        std::string bytes;
        SettingsFields fields;
    };
    const Case cases[] = {
        {"0\r\n00\r\n00\r\nFalse\r\n", {"0", "00", "00", "False"}},
        {"1\r\n07\r\n30\r\nTrue\r\n", {"1", "07", "30", "True"}},
        {"", {"", "", "", ""}},
        {"2\r\n23\r\n", {"2", "23", "", ""}},
        {"1\r\n07,30\r\n45\r\nTrue\r\n", {"1", "07", "30", "45"}},
        {"1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n", {"1", "2", "3", "4"}},
        {"\"1\"\r\n\"07\"\r\n\"30\"\r\n\"True\"\r\n", {"1", "07", "30", "True"}},
        {"  1\r\n\t07\r\n 30 \r\nTrue  \r\n", {"1", "07", "30", "True"}},
        {"1\n07\n30\nTrue", {"1", "07", "30", "True"}},    // LF only, no last line end
        {"1\r07\r30\rTrue\r", {"1", "07", "30", "True"}},  // CR only
        {"\xEF\xBB\xBF"
         "2\r\n23\r\n45\r\nFalse\r\n",
         {"2", "23", "45", "False"}},
        {"1\r\n\r\n30\r\nTrue\r\n", {"1", "", "30", "True"}},  // an empty line is an empty field
        {"\"a,b\",c\r\n", {"a,b", "c", "", ""}},               // a quoted comma is text
        {"\"07\"x,30\r\n", {"07", "30", "", ""}},              // after the closing quote: dropped
        {"\"07\r\n30\r\n", {"07", "30", "", ""}},              // an unclosed quote ends at the line end
        {",,,\r\n", {"", "", "", ""}},
        {"\x92\xE2\x8E\x7E,\x80\xFF\r\n", {"\x92\xE2\x8E\x7E", "\x80\xFF", "", ""}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadSettingsFields(c.bytes), c.fields) << c.bytes;
}

TEST(SettingsReader, GiantFieldsAreCutAndDoNotSpillIntoTheNext) {
    const std::string bytes = std::string(100000, '7') + "\r\n30\r\n";
    const SettingsFields f = ReadSettingsFields(bytes);
    EXPECT_EQ(f[0].size(), kSettingsFieldLimit);
    EXPECT_EQ(f[1], "30");
    EXPECT_EQ(ReadSettingsFields(std::string(kSettingsFieldLimit + 1, 'x') + ",y")[1], "y");
}

TEST(SettingsWriter, WritesFourCrLfLines) {
    EXPECT_EQ(FormatSettings("0", "00", "00", false), "0\r\n00\r\n00\r\nFalse\r\n");
    EXPECT_EQ(FormatSettings("0", "00", "00", false).size(), 18u);
    EXPECT_EQ(FormatSettings("2", "23", "45", true), "2\r\n23\r\n45\r\nTrue\r\n");

    // Only what the writer makes counts as whole when a leftover is to replace a lost file.
    EXPECT_TRUE(IsWholeSettingsFile(FormatSettings("2", "23", "45", true)));
    const std::string whole = FormatSettings("0", "00", "00", false);
    for (const std::string& cut : {whole.substr(0, whole.size() - 1), whole.substr(0, 11), std::string(),
                                   whole + "x\r\n", "0\n00\n00\nFalse\n"s, "0\r\n00\r\n00\rFalse\r\n"s}) {
        EXPECT_FALSE(IsWholeSettingsFile(cut)) << cut;
    }
}

// After a failed swap, each outcome ReplaceFileW documents, found as it leaves the disk
// (set.ini, the new bytes beside it, the old file under the backup name).
TEST(SaveRecoveryDecision, EachDocumentedFailureEndsWithACopyUnderTheName) {
    using R = SaveRecovery;
    using P = Presence;
    struct Case {
        const char* what;
        std::uint32_t error;
        SaveFilesFound found;
        R expected;
    };
    const Case cases[] = {
        {"1175: both keep their names", 1175, {P::Present, true, false}, R::KeepOld},
        {"1176, no backup name: set.ini gone", 1176, {P::Absent, true, false}, R::MoveNewIn},
        {"1176, backup name: both keep their names", 1176, {P::Present, true, false}, R::KeepOld},
        {"1177: the old file under the backup name", 1177, {P::Absent, true, true}, R::MoveNewIn},
        {"sharing violation, after the retries", 32, {P::Present, true, false}, R::KeepOld},
        {"access denied", 5, {P::Present, true, false}, R::KeepOld},
        {"the new bytes moved in after all", 1177, {P::Present, false, true}, R::Saved},
        {"moving them in failed, the old file aside", 32, {P::Absent, true, true}, R::PutOldBack},
        {"moving them in failed, nothing aside", 5, {P::Absent, true, false}, R::NewAtNextStart},
        {"the new bytes lost, the old ones aside", 1177, {P::Absent, false, true}, R::PutOldBack},
        // A second call fails: what cannot be told or put back is left for the next start.
        {"set.ini cannot be examined: both may be the only copy", 1177, {P::Unknown, true, true},
         R::LeaveForNextStart},
        {"the old file cannot go back either", 32, {P::Absent, true, true, true}, R::NewAtNextStart},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecideSaveRecovery(c.error, c.found), c.expected) << c.what;
}

// At start-up, from what the listing, the reads and the moves answered: the last save comes back
// whenever a copy of it is there, and while it cannot be reached nothing goes and nothing is armed.
TEST(StartupRestoreDecision, TheLastSaveComesBackOrEverythingWaits) {
    using P = Presence;
    using Read = LeftoverFound::Read;
    using S = platform::SettingsAtStart;
    const LeftoverFound unreadable{true, 2, Read::Failed}, olderWhole{true, 1, Read::Whole},
        stuck{true, 2, Read::Whole, true}, oldFile{false, 1};
    struct Case {
        const char* what;
        StartupFound found;
        std::optional<std::size_t> restore;
        std::vector<bool> remove;
        S start;
    };
    const Case cases[] = {
        {"the folder cannot be listed", {P::Absent, false, {}}, std::nullopt, {}, S::Hold},
        {"the listing broke off after a whole copy", {P::Absent, false, {olderWhole}}, std::nullopt, {false},
         S::Hold},
        {"the only copy is held by another program", {P::Absent, true, {unreadable}}, std::nullopt, {false},
         S::Hold},
        {"the newest copy cannot be read: not the older one instead",
         {P::Absent, true, {olderWhole, unreadable}}, std::nullopt, {false, false}, S::Hold},
        {"the only copy cannot be moved in", {P::Absent, true, {stuck}}, std::nullopt, {false}, S::Hold},
        {"the last save cannot be moved in: not the old file instead", {P::Absent, true, {oldFile, stuck}},
         std::nullopt, {false, false}, S::Hold},
    };
    for (const auto& c : cases) {
        const StartupRestore verdict = DecideStartupRestore(c.found);
        EXPECT_EQ(verdict.restore, c.restore) << c.what;
        EXPECT_EQ(verdict.remove, c.remove) << c.what;
        EXPECT_EQ(verdict.start, c.start) << c.what;
    }
}

class SettingsFileTest : public ::testing::Test {
protected:
    SettingsFileTest() { h.FillTimeLists(); }
    test::Harness h;
    SettingsFile settings{h.api, h.ui};
};

TEST_F(SettingsFileTest, PathJoinsTheDirectoryWithABackslashAsItStands) {
    EXPECT_EQ(settings.Path(), "C:\\Apps\\Velt\\set.ini");
    h.api.appDir = "D:\\";
    EXPECT_EQ(settings.Path(), "D:\\\\set.ini");
}

TEST_F(SettingsFileTest, ExistsOnlyForAFile) {
    EXPECT_EQ(settings.SettingsFileExists(), False);
    h.api.files[h.api.SettingsPath()] = "";
    EXPECT_EQ(settings.SettingsFileExists(), True);
}

TEST_F(SettingsFileTest, DefaultsAndSavesAreExactBytes) {
    settings.WriteDefaultSettings();
    EXPECT_EQ(h.api.files[h.api.SettingsPath()], "0\r\n00\r\n00\r\nFalse\r\n");
    settings.SaveSettings("2", "23", "45", false);
    EXPECT_EQ(h.api.files[h.api.SettingsPath()], "2\r\n23\r\n45\r\nFalse\r\n");
    settings.SaveSettings("1", "07", "30", true);
    EXPECT_EQ(h.api.files[h.api.SettingsPath()], "1\r\n07\r\n30\r\nTrue\r\n");
}

TEST_F(SettingsFileTest, AFailedSaveReportsAndKeepsTheOldFile) {
    h.api.files[h.api.SettingsPath()] = "1\r\n07\r\n30\r\nTrue\r\n";
    h.api.unwritable.insert(h.api.SettingsPath());
    EXPECT_THROW(settings.SaveSettings("2", "23", "45", false), platform::PlatformError);
    EXPECT_THROW(settings.WriteDefaultSettings(), platform::PlatformError);
    EXPECT_EQ(h.api.files[h.api.SettingsPath()], "1\r\n07\r\n30\r\nTrue\r\n");
}

// What the window shows after loading a file: action index, hour, minute, start-up option.
struct Applied {
    int action;
    const char* hour;
    const char* minute;
    bool atStart;
};

TEST_F(SettingsFileTest, LoadingAppliesTheFieldsByTheirRules) {
    struct Case {
        std::string file;
        Applied expected;
    };
    const Case cases[] = {
        {"1\r\n07\r\n30\r\nTrue\r\n", {1, "07", "30", true}},
        {"2\r\n23\r\n45\r\nFalse\r\n", {2, "23", "45", false}},
        {"0\r\n00\r\n00\r\ntrue\r\n", {0, "00", "00", true}},
        {"0\r\n00\r\n00\r\nTRUE\r\n", {0, "00", "00", true}},
        {"0\r\n00\r\n00\r\n1\r\n", {0, "00", "00", true}},
        {"0\r\n00\r\n00\r\n0\r\n", {0, "00", "00", false}},
        {"0\r\n00\r\n00\r\nyes\r\n", {0, "00", "00", false}},
        {"0\r\n00\r\n00\r\n\r\n", {0, "00", "00", false}},
        {"3\r\n05\r\n06\r\nTrue\r\n", {0, "05", "06", true}},  // unknown action: unchanged
        {"00\r\n05\r\n06\r\nTrue\r\n", {0, "05", "06", true}},
        {"\r\n05\r\n06\r\nTrue\r\n", {0, "05", "06", true}},
        {"1\r\n24\r\n60\r\nTrue\r\n", {1, "00", "00", true}},  // not an entry: boxes unchanged
        {"1\r\n7\r\n5\r\nTrue\r\n", {1, "00", "00", true}},
        {"1\r\n23.5\r\n&H10\r\nTrue\r\n", {1, "00", "00", true}},
        {"2\r\n23\r\n", {2, "23", "00", false}},                   // two lines
        {"", {0, "00", "00", false}},                              // empty file
        {"1\r\n07,30\r\n00\r\nTrue\r\n", {1, "07", "30", false}},  // the comma shifts: field 4 is "00"
        {"1\r\n07,30\r\n45\r\nFalse\r\n", {1, "07", "30", true}},  // ... and "45" reads as True
        {"2\r\n22\r\n11\r\nFalse\r\nTrue\r\n1\r\n", {2, "22", "11", false}},
        {"\xEF\xBB\xBF"
         "1\r\n07\r\n30\r\nTrue\r\n",
         {1, "07", "30", true}},
        {"1\r07\r30\rTrue\r", {1, "07", "30", true}},
        {"\x92\xE2\x8E\x7E\r\n\x81\r\n\xFF\xFE\r\n\x92\xE2\r\n", {0, "00", "00", false}},
    };
    for (const auto& c : cases) {
        test::Harness fresh;
        fresh.FillTimeLists();
        fresh.api.files[fresh.api.SettingsPath()] = c.file;
        SettingsFile(fresh.api, fresh.ui).LoadSettings();
        const Ctl actions[] = {Ctl::Option1_0, Ctl::Option1_1, Ctl::Option1_2};
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(fresh.ui.Value(actions[i]), i == c.expected.action) << c.file << " action " << i;
        }
        EXPECT_EQ(fresh.ui.ComboText(Ctl::txtTime0), c.expected.hour) << c.file;
        EXPECT_EQ(fresh.ui.ComboText(Ctl::txtTime1), c.expected.minute) << c.file;
        EXPECT_EQ(fresh.ui.Value(Ctl::optSTART0), c.expected.atStart) << c.file;
        EXPECT_EQ(fresh.ui.Value(Ctl::optSTART1), !c.expected.atStart) << c.file;
    }
}

TEST_F(SettingsFileTest, AnUnreadableFileOnlyTurnsTheStartUpOptionOff) {
    h.api.files[h.api.SettingsPath()] = "2\r\n23\r\n45\r\nTrue\r\n";
    h.api.unreadable.insert(h.api.SettingsPath());
    h.ui.SetValue(Ctl::optSTART0, true);
    settings.LoadSettings();
    EXPECT_TRUE(h.ui.Value(Ctl::Option1_0));
    EXPECT_EQ(h.ui.ComboText(Ctl::txtTime0), "00");
    EXPECT_TRUE(h.ui.Value(Ctl::optSTART1));
    EXPECT_FALSE(h.ui.Value(Ctl::optSTART0));
}

TEST_F(SettingsFileTest, OnlyTheHeadOfAHugeFileIsRead) {
    h.api.files[h.api.SettingsPath()] = "1\r\n07\r\n30\r\nTrue\r\n" + std::string(10'000'000, 'x');
    settings.LoadSettings();
    EXPECT_TRUE(h.ui.Value(Ctl::optSTART0));
    EXPECT_EQ(h.ui.ComboText(Ctl::txtTime1), "30");
    h.api.files[h.api.SettingsPath()] = std::string(10'000'000, '1');  // one line, no line end
    settings.LoadSettings();
    EXPECT_TRUE(h.ui.Value(Ctl::optSTART1));
}

}  // namespace
}  // namespace velt
