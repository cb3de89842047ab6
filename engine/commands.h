// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The encrypt and decrypt commands: a CryptRequest in, one CommandOutcome out.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/crypt_request.h"
#include "engine/format/cipher.h"

namespace quarnix {

class FileOps;  // engine/file_ops.h: every system call the commands make

// The long phases of a command's file work. Flush: a result is being written
// to disk, which can be neither measured nor cancelled part way; it is
// reported once, with done and total 0.
enum class WorkPhase { BackupCopy, Rewrite, Flush };

// The start of a file as it is and as the command's work would leave it,
// worked out before anything touches the disk.
struct ContentPreview {
    Direction Way = Direction::Encrypt;
    quarnix::Level Level = quarnix::Level::Secret;
    std::u16string FilePath;
    // The path whose name says what the content should be: on decrypt the
    // path with the level's marker taken out, on encrypt the path itself.
    std::u16string PromisedPath;
    std::uint64_t FileLength = 0;
    // The first bytes of the file, and the same bytes after the work: the
    // whole cipher window at Secret and Secretter, ContentPreviewLength bytes
    // at TopSecret (fewer for a shorter file).
    std::vector<std::uint8_t> Current;
    std::vector<std::uint8_t> Result;
};

inline constexpr std::uint64_t ContentPreviewLength = 4096;

// What a front end supplies to a command. Every member may be left empty.
struct CommandHooks {
    // Asked first by DecryptCommand (Yes answers true). Empty: go ahead.
    std::function<bool()> ConfirmDecrypt;
    // Asked once the checks have passed and the file is open, before the
    // backup or anything else is written; not asked for an empty file. False
    // ends the command with ContentDeclined, the file untouched. Empty: go ahead.
    std::function<bool(const ContentPreview& preview)> ConfirmContent;
    // Bytes done of bytes to do in the current phase; called between chunks.
    std::function<void(WorkPhase phase, std::uint64_t done, std::uint64_t total)> Progress;
    // Polled between chunks; true stops the work with the file unchanged.
    std::function<bool()> CancelRequested;
};

// Runs the checks in order, then the file work: backup copy, rewrite, marker
// rename. Whatever fails, the file is left wholly old or wholly new and the
// outcome says which. `files` defaults to the real file system. The hooks are
// called on the calling thread; CancelRequested may read a flag set elsewhere.
CommandOutcome EncryptCommand(const CryptRequest& request, const CommandHooks& hooks = {},
                              FileOps* files = nullptr);
CommandOutcome DecryptCommand(const CryptRequest& request, const CommandHooks& hooks = {},
                              FileOps* files = nullptr);

// The path a successful command leaves the file at: the request's path with
// the level marker put in (encrypt) or taken out (decrypt) when MarkFile is set.
std::u16string RenamedPath(const CryptRequest& request, bool encrypt);

// The backup copy's path is the file's path followed by one of these.
inline constexpr char16_t EncryptBackupSuffix[] = u".备份";
inline constexpr char16_t DecryptBackupSuffix[] = u".BAK";

// TopSecret rewrites a file with several hard links in place, so that every
// link sees the new content. While the new content is copied over the file, it
// stands complete beside it under the file's real path followed by this
// suffix, and stays there if the copy is cut short.
inline constexpr char16_t RecoverySuffix[] = u".新内容";

// The confirmation DecryptCommand asks for before anything else.
inline constexpr char16_t DecryptConfirmationTitle[] = u"友情提示";
inline constexpr char16_t DecryptConfirmationText[] =
    u"请确保您所选文件、加密等级及密码均正确无误，否则，会导致解密失败。【推荐您选中备份功能】"
    u"\r\n你确实要执行解密吗？";

}  // namespace quarnix
