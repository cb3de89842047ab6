// SPDX-License-Identifier: GPL-3.0-or-later
// What every rewrite does at the point where its work can no longer be
// dropped, and the run record each of them starts.

#include "engine/files/file_steps.h"

namespace quarnix {

RecordHead RecordStart::Head(RecordKind kind, std::uint64_t regionLength) const {
    RecordHead head;
    head.Kind = kind;
    head.Level = Level;
    head.Way = Way;
    head.RegionLength = regionLength;
    head.FromPath = FromPath;
    head.ToPath = ToPath;
    return head;
}

WorkResult LastChanceToDrop(const WorkFile& file, const PhaseProgress& progress,
                            RunRecord* record) {
    WorkResult dropped;
    if (progress.CancelRequested()) {
        dropped = CancelledWork();
    } else {
        // Another program's work on the file since it was opened is kept, and
        // this one dropped; without a lease the file's times and size say it.
        dropped = file.CheckUnchanged();
    }
    if (dropped) {
        if (record != nullptr) {
            record->Drop();
        }
        return dropped;
    }
    progress.Committing();
    return std::nullopt;
}

}  // namespace quarnix
