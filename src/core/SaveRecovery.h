// What to do after the step that swaps a new set.ini into place has failed, decided from the
// error Windows gave and from what is found on disk afterwards. Pure, so that every documented
// outcome can be tried without making Windows fail.
#pragma once

#include <cstdint>

namespace velt {

// Windows error numbers the decision tells apart.
namespace save_errors {
inline constexpr std::uint32_t kAccessDenied = 5;
inline constexpr std::uint32_t kSharingViolation = 32;
// ReplaceFileW: both files keep their names.
inline constexpr std::uint32_t kUnableToRemoveReplaced = 1175;
// ReplaceFileW: the new file was not renamed. With no backup name the old file is gone.
inline constexpr std::uint32_t kUnableToMoveReplacement = 1176;
// ReplaceFileW: the new file was not renamed; the old one lies under the backup name.
inline constexpr std::uint32_t kUnableToMoveReplacement2 = 1177;
}  // namespace save_errors

// What a look at one name answered: a name that cannot be examined may well be taken.
enum class Presence { Absent, Present, Unknown };

// Which of the three files of a save are there.
struct SaveFilesFound {
    Presence target = Presence::Absent;  // anything under set.ini's own name
    bool replacement = false;  // the new bytes, written whole beside it
    bool backup = false;       // the old file, moved aside under the backup name
    bool backupStuck = false;  // putting the old file back under set.ini's name has failed
};

enum class SaveRecovery {
    Saved,              // set.ini holds the new bytes: only the backup is left to clear
    KeepOld,            // set.ini still stands: the new bytes go, and the save has failed
    MoveNewIn,          // set.ini is gone and the new bytes wait beside it: move them in
    PutOldBack,         // set.ini is gone and the new bytes cannot go in: the old ones go back
    NewAtNextStart,     // set.ini is gone and no copy can go in now, but the new bytes wait beside
                        // it: the next start puts them in place, so the save is not lost
    LeaveForNextStart,  // no copy can be put under set.ini: what is left stays for the next start
};

SaveRecovery DecideSaveRecovery(std::uint32_t error, const SaveFilesFound& found);

}  // namespace velt
