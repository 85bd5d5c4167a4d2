// Faults around the program: an icon file missing beside it, set.ini that cannot be written
// while the user registers. The program keeps running, says what failed when a button started
// it, keeps the earlier set.ini byte for byte and leaves no temporary file behind.
#include <gtest/gtest.h>

#include "MainView.h"

namespace velt::e2e {
namespace {

class Faults : public testing::Test {
protected:
    void TearDown() override {
        if (program_) {
            EXPECT_TRUE(program_->Running()) << "the program ended";
        }
    }

    // A fresh folder with the program and `settings`, and the program started in it.
    AppFolder& Start(const wchar_t* name, Icons icons, const std::string& settings) {
        folder_.emplace(name, icons);
        folder_->WriteSettings(settings);
        program_.emplace(*folder_);
        EXPECT_TRUE(WaitStartedUp(*program_)) << "the program did not come up";
        return *folder_;
    }

    // The message a button's failure shows: the application title, OK only, naming the file.
    void ExpectFailureMessageNaming(const char* file) {
        const HWND box = program_->WaitMessageBox(3s);
        ASSERT_NE(nullptr, box) << "nothing told the user that " << file << " failed";
        const MessageBoxView view = ReadMessageBox(box);
        EXPECT_EQ(kAppTitle, view.caption);
        EXPECT_EQ(std::set<int>{IDOK}, view.buttons);
        EXPECT_NE(std::string::npos, view.text.find(file)) << view.text;
        Click(::GetDlgItem(box, IDOK));
        EXPECT_TRUE(WaitUntil([&] { return !program_->HasMessageBox(); }, 3s));
    }

    static void ExpectOnlySetIniAdded(const AppFolder& folder) {
        std::set<std::wstring> allowed = folder.InitialEntries();
        allowed.insert(L"set.ini");
        EXPECT_EQ(allowed, folder.Entries());
    }

    // The folder outlives the program in it.
    std::optional<AppFolder> folder_;
    std::optional<Program> program_;
};

TEST_F(Faults, MissingOnIconStopsTheRegistrationHalfWayAndTheButtonSaysSo) {
    StayClearOf(7, 30);
    // "1" reads as True; a registration that got as far as saving would write "True".
    const std::string settings = "1\r\n07\r\n30\r\n1\r\n";
    const AppFolder& folder = Start(L"no-on-icon", Icons::NoOnIcon, settings);
    ASSERT_FALSE(HasFailure());

    // Start-up: the key and the sentence are set, then the icon fails: the buttons, the tray
    // and set.ini stay as they were, and nothing is reported.
    MainState halfWay = Expected(1, "07", "30", 0, true);
    halfWay.cmdOnEnabled = true;
    halfWay.command5Enabled = false;
    EXPECT_EQ(halfWay, WaitState(*program_, halfWay, 3s));
    EXPECT_FALSE(program_->HasMessageBox()) << "start-up reported the missing icon";
    std::string tray;
    EXPECT_TRUE(WaitTrayPicture(Picture::Program, 3s, &tray)) << "the tray shows " << tray;
    EXPECT_EQ(settings, folder.ReadSettings());

    // The user presses 登録(&R): the same failure, now told.
    ASSERT_TRUE(ShowMain(*program_));
    Click(program_->Control(Id(Ctl::cmdON)));
    ASSERT_NO_FATAL_FAILURE(ExpectFailureMessageNaming("VELTPOWON.ico"));
    halfWay.visible = true;
    EXPECT_EQ(halfWay, WaitState(*program_, halfWay, 3s));
    EXPECT_EQ(settings, folder.ReadSettings());
    ExpectOnlySetIniAdded(folder);
}

TEST_F(Faults, MissingOffIconStillCancelsAndClosesQuietly) {
    StayClearOf(7, 30);
    const std::string settings = "1\r\n07\r\n30\r\nTrue\r\n";
    const AppFolder& folder = Start(L"no-off-icon", Icons::NoOffIcon, settings);
    ASSERT_FALSE(HasFailure());
    const MainState registered = Expected(1, "07", "30", 0, true);
    ASSERT_EQ(registered, WaitState(*program_, registered, 3s));
    ASSERT_TRUE(ShowMain(*program_));

    // Cancelling disarms the schedule even though the "off" picture cannot be loaded.
    Click(program_->Control(Id(Ctl::Command5)));
    MainState cancelled = Expected(1, "07", "30", 0, false);
    cancelled.visible = true;
    EXPECT_EQ(cancelled, WaitState(*program_, cancelled, 3s));
    EXPECT_FALSE(program_->HasMessageBox());

    // Closing with nothing registered wants the same picture; the window still only hides.
    ::PostMessageW(program_->Main(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(program_->Main()); }, 3s));
    EXPECT_FALSE(program_->HasMessageBox());
    // The close refreshes the tray (taken away and put up again).
    int icons = 0;
    EXPECT_TRUE(WaitTrayIcons(1, 3s, &icons)) << icons << " tray icons";
    EXPECT_EQ(settings, folder.ReadSettings());
    ExpectOnlySetIniAdded(folder);
}

// A folder that only refuses new files still lets set.ini be rewritten in place: the save fails
// only where the file itself cannot be written too.
enum class Unwritable { ImmutableFolderAndFile, ImmutableFile, LockedFile };

class FaultsSaving : public Faults, public testing::WithParamInterface<Unwritable> {};

TEST_P(FaultsSaving, RegistrationThatCannotSaveSaysSoAndKeepsTheOldFile) {
    StayClearOf(23, 30);
    const std::string settings = "0\r\n00\r\n00\r\nFalse\r\n";
    const AppFolder& folder = Start(L"unwritable", Icons::Both, settings);
    ASSERT_FALSE(HasFailure());
    ASSERT_TRUE(ShowMain(*program_));
    MainState seen;
    ASSERT_TRUE(PickInputs(*program_, 1, 23, 30, 0, seen)) << seen;

    std::optional<HostImmutable> immutable, immutableFolder;
    HANDLE lock = INVALID_HANDLE_VALUE;
    switch (GetParam()) {
    case Unwritable::ImmutableFolderAndFile:
        immutableFolder.emplace(folder.UnixPath(), folder.Path());
        ASSERT_TRUE(immutableFolder->Effective()) << "chattr +i has no effect on this file system";
        [[fallthrough]];
    case Unwritable::ImmutableFile:
        immutable.emplace(folder.UnixPath() + "/set.ini", folder.Settings());
        ASSERT_TRUE(immutable->Effective()) << "chattr +i has no effect on this file system";
        break;
    case Unwritable::LockedFile:
        lock = ::CreateFileW(folder.Settings().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, lock);
        break;
    }

    Click(program_->Control(Id(Ctl::cmdON)));
    ASSERT_NO_FATAL_FAILURE(ExpectFailureMessageNaming("set.ini"));
    // Saving is the last step: the schedule is armed and shown as registered.
    MainState registered = Expected(1, "23", "30", 0, true);
    registered.visible = true;
    EXPECT_EQ(registered, WaitState(*program_, registered, 3s));

    if (lock != INVALID_HANDLE_VALUE) {
        ::CloseHandle(lock);
    }
    if (immutable) {
        immutable->Release();
    }
    if (immutableFolder) {
        immutableFolder->Release();
    }
    EXPECT_EQ(settings, folder.ReadSettings()) << "the old set.ini was not kept byte for byte";
    ExpectOnlySetIniAdded(folder);

    // Once the folder can be written again, the next registration saves.
    Click(program_->Control(Id(Ctl::Command5)));
    ASSERT_TRUE(PickInputs(*program_, 2, 23, 30, 1, seen)) << seen;
    Click(program_->Control(Id(Ctl::cmdON)));
    EXPECT_TRUE(WaitUntil([&] { return folder.ReadSettings() == "2\r\n23\r\n30\r\nFalse\r\n"; }, 3s))
        << folder.ReadSettings().value_or("(none)");
    EXPECT_FALSE(program_->HasMessageBox());
    ExpectOnlySetIniAdded(folder);
}

INSTANTIATE_TEST_SUITE_P(Ways, FaultsSaving,
                         testing::Values(Unwritable::ImmutableFolderAndFile, Unwritable::ImmutableFile,
                                         Unwritable::LockedFile),
                         [](const testing::TestParamInfo<Unwritable>& p) {
                             switch (p.param) {
                             case Unwritable::ImmutableFolderAndFile: return "FolderAndSetIniNotWritable";
                             case Unwritable::ImmutableFile: return "SetIniNotWritable";
                             case Unwritable::LockedFile: return "SetIniLockedByAnotherProcess";
                             }
                             return "?";
                         });

}  // namespace
}  // namespace velt::e2e
