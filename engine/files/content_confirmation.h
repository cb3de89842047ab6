// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Before a command writes anything: the start of the file as it is and as the
// work would leave it, read from the open file and shown to the front end's
// ConfirmContent, which may stop the command.

#include "engine/files/work_failure.h"
#include "engine/files/work_file.h"
#include "engine/format/cipher.h"
#include "engine/work_hooks.h"

namespace quarnix {

// Reads the preview from the open `file` and asks hooks.ConfirmContent;
// nothing is read when there is no such hook or the file is empty. A No
// answers ContentDeclined; a failed read ReadFailed, a shortened file
// FileChanged. The file is untouched either way.
WorkResult ConfirmContent(const WorkFile& file, Direction way, const CipherKeys& keys,
                          const CommandHooks& hooks);

}  // namespace quarnix
