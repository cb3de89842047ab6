// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What an earlier run on a file left behind when it was killed or the power
// failed, found and settled before the next run's work begins: an undo record
// of the window puts the file back as it was; a recovery file of a copy over a
// hard-linked file completes that copy; hidden temporary files of the file or
// of its backups are removed. Nothing but the file and a backup the user asked
// for is left holding its content.

#include <string>
#include <vector>

#include "engine/files/work_failure.h"
#include "engine/files/work_file.h"

namespace quarnix {

// Settles what earlier runs left beside `target` (the file's real path) and
// beside the backups at `backupPaths`, for the open, locked `file`. Only
// files of this user or of the file's owner are acted on. Each thing done is
// noted in `*notes`. When an interrupted copy over the file was completed,
// sets *finished: the earlier run's work is done and this one is not to follow
// on top of it.
WorkResult SettleLeftovers(WorkFile& file, const std::string& target,
                           const std::vector<std::string>& backupPaths,
                           std::vector<Leftover>* notes, bool* finished);

}  // namespace quarnix
