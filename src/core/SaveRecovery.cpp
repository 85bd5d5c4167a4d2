#include "core/SaveRecovery.h"

namespace velt {

SaveRecovery DecideSaveRecovery(std::uint32_t error, const SaveFilesFound& found) {
    if (found.target == Presence::Unknown) {
        // set.ini may stand or be gone: either of the others may be the only copy.
        return SaveRecovery::LeaveForNextStart;
    }
    if (found.target == Presence::Present) {
        // The new file only ever leaves its own name by taking set.ini's.
        return found.replacement ? SaveRecovery::KeepOld : SaveRecovery::Saved;
    }
    // Only these two say that the new file is whole and merely was not renamed; after any
    // other error (the move of it failing among them) the old file is the safer one to bring back.
    if (found.replacement &&
        (error == save_errors::kUnableToMoveReplacement || error == save_errors::kUnableToMoveReplacement2)) {
        return SaveRecovery::MoveNewIn;
    }
    if (found.backup && !found.backupStuck) {
        return SaveRecovery::PutOldBack;
    }
    // A start that finds set.ini gone takes whole new bytes before the old file.
    return found.replacement ? SaveRecovery::NewAtNextStart : SaveRecovery::LeaveForNextStart;
}

}  // namespace velt
