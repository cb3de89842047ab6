// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Runs one command over several files in turn, each reported on its own line
// of standard error; a failing file does not stop the others, Ctrl+C does.
// A path that names no regular file is reported as what it is.
// Each file goes to the engine as an absolute path; the report names it as typed.

#include <optional>
#include <string>
#include <vector>

#include "engine/crypt_request.h"
#include "password_input.h"

namespace quarnix::cli {

struct RunOptions {
    bool Encrypt = true;
    // None: each file at the level of the marker in its name, Secret without one.
    std::optional<quarnix::Level> Level = quarnix::Level::Secret;
    bool MakeBackup = true;
    bool MarkFile = true;
    // Look at each file's content first (the engine's ConfirmContent): a file
    // whose content speaks against the work is reported and left untouched.
    bool CheckContent = true;
    // Replace a backup that an earlier run left under the backup's name.
    bool ReplaceBackup = false;
    std::vector<std::string> Files;  // as given on the command line
};

// TopSecret when any file is worked at TopSecret, so that password 2 is read.
quarnix::Level PasswordLevel(const RunOptions& options);

// The exit status: 0 when every file is done, 1 otherwise. After an ending
// signal it returns once the file at hand is reported, and the files not yet
// begun are counted; the caller then ends by the signal.
int RunFiles(const RunOptions& options, const Passwords& passwords);

}  // namespace quarnix::cli
