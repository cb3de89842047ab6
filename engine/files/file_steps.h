#pragma once
// The file steps of a command, each keeping the promise that the file is at
// every moment wholly its old or wholly its new content, or, while a file with
// several hard links is rewritten in place, that its complete new content
// stands on disk under a name of its own.

#include <sys/stat.h>

#include <cstdint>
#include <string>

#include "engine/format/cipher.h"
#include "engine/commands.h"
#include "file_ops.h"
#include "work_failure.h"

namespace quarnix {

// Copies `size` bytes of the open file `source` to `backupPath` through a
// temporary file in the backup's folder, which replaces an existing backup
// only once complete. Permission bits follow `mode`. Cancellable.
WorkResult CopyToBackup(FileOps& files, int source, std::uint64_t size, mode_t mode,
                        const std::string& backupPath, const CommandHooks& hooks);

// Secret and Secretter: reads the cipher window of the open file `fd`,
// transforms it and writes it back in place with one write and a flush. Put
// back the old bytes when the write or the flush fails.
WorkResult RewriteWindow(FileOps& files, int fd, std::uint64_t fileLength, Direction way,
                         const CipherKeys& keys, const CommandHooks& hooks);

// TopSecret: streams the transformed file into a temporary file beside
// `target` (the open file `fd`, described by `info`, symbolic links resolved)
// and renames it over the target. Cancellable until the rename.
WorkResult RewriteThroughTemp(FileOps& files, int fd, const struct stat& info,
                              const std::string& target, Direction way, const CipherKeys& keys,
                              const CommandHooks& hooks);

// TopSecret on a file with several hard links, so that all of them see the new
// content: streams the transformed file into a temporary file beside `target`,
// flushes it and names it `target` + RecoverySuffix, then copies it over the
// open file `fd` in place, flushes `fd` and removes the recovery file. Until
// the copy begins a failure or cancel leaves the file untouched and nothing
// behind; once it has begun it runs to its end, and a failure keeps the
// recovery file. Progress covers both writes: twice the file's length.
WorkResult RewriteInPlace(FileOps& files, int fd, const struct stat& info,
                          const std::string& target, Direction way, const CipherKeys& keys,
                          const CommandHooks& hooks);

// Renames `from` to `to` without ever replacing a file at `to`; a rename to
// the same path succeeds at once.
WorkResult RenameWithoutReplacing(FileOps& files, const std::string& from, const std::string& to);

}  // namespace quarnix
