#include "core/SaveRecovery.h"

namespace velt {

SaveRecovery DecideSaveRecovery(std::uint32_t error, const SaveFilesFound& found) {
    if (found.target) {
        // The new file only ever leaves its own name by taking set.ini's.
        return found.replacement ? SaveRecovery::KeepOld : SaveRecovery::Saved;
    }
    // Only these two say that the new file is whole and merely was not renamed; after any
    // other error (the move of it failing among them) the old file is the safer one to bring back.
    if (found.replacement &&
        (error == save_errors::kUnableToMoveReplacement || error == save_errors::kUnableToMoveReplacement2)) {
        return SaveRecovery::MoveNewIn;
    }
    return found.backup ? SaveRecovery::PutOldBack : SaveRecovery::LeaveForNextStart;
}

}  // namespace velt
