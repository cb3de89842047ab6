#pragma once
// Runs one command over several files in turn, each reported on its own line
// of standard error; a failing file does not stop the others, Ctrl+C does.
// Each file goes to the engine as an absolute path; the report names it as typed.

#include <string>
#include <vector>

#include "engine/crypt_request.h"
#include "password_input.h"

namespace quarnix::cli {

struct RunOptions {
    bool Encrypt = true;
    quarnix::Level Level = quarnix::Level::Secret;
    bool MakeBackup = true;
    bool MarkFile = true;
    std::vector<std::string> Files;  // as given on the command line
};

// The exit status: 0 when every file is done, 1 otherwise.
int RunFiles(const RunOptions& options, const Passwords& passwords);

}  // namespace quarnix::cli
