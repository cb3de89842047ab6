// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The encrypt and decrypt commands: a CryptRequest in, one CommandOutcome out.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "engine/crypt_request.h"
#include "engine/format/cipher.h"
#include "engine/work_hooks.h"

namespace quarnix {

class FileOps;  // engine/files/file_ops.h: every system call the commands make

// Runs the checks in order, then the file work: backup copy, rewrite, marker
// rename. Whatever fails, the file is left wholly old or wholly new and the
// outcome says which. `files` defaults to the real file system. The hooks are
// called on the calling thread; CancelRequested may read a flag set elsewhere.
CommandOutcome EncryptCommand(const CryptRequest& request, const CommandHooks& hooks = {},
                              FileOps* files = nullptr);
CommandOutcome DecryptCommand(const CryptRequest& request, const CommandHooks& hooks = {},
                              FileOps* files = nullptr);

// For a decryption whose file name carries no level marker: the level whose
// decryption with the request's passwords `fits` (the front end's judge of a
// result), found without changing anything: each level in turn, TopSecret
// only when password 2 is given. Where an interrupted earlier run left a
// record for the file, its level, which the decrypt command at that level
// settles first.
struct LevelFound {
    std::optional<quarnix::Level> Level;  // nullopt: none fits, or more than one
    bool FromRecord = false;
    // Why the file could not be looked at; Done when it was.
    CommandOutcome Refusal;
};
LevelFound FindLevel(const CryptRequest& request,
                     const std::function<bool(const ContentPreview& preview)>& fits,
                     FileOps* files = nullptr);

// The path a successful command leaves the file at: the request's path with
// the level marker put in (encrypt) or taken out (decrypt) when MarkFile is set.
std::u16string RenamedPath(const CryptRequest& request, bool encrypt);

// The backup copy's path: the file's path followed by ".备份" (encrypt) or
// ".BAK" (decrypt).
std::u16string BackupPath(std::u16string_view filePath, bool encrypt);

}  // namespace quarnix
