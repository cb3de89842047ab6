// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The look at a file's content through the real commands, declined so that
// the file stays as it is.

#include <string>

#include "content_check/content_verdict.h"
#include "engine/commands.h"

namespace quarnix::test {

// What the look says of encrypting or decrypting `path` under these
// passwords (no backup, no marker); fails the test when the command does
// not end as declined.
ContentConcern LookOnCommands(bool encrypt, const std::string& path, Level level,
                              const std::u16string& one, const std::u16string& two);

}  // namespace quarnix::test
