#pragma once
// The encrypt and decrypt commands: a CryptRequest in, one CommandOutcome out.

#include <cstdint>
#include <functional>
#include <string>

#include "engine/crypt_request.h"

namespace quarnix {

class FileOps;  // engine/file_ops.h: every system call the commands make

// The long phases of a command's file work. Flush: a result is being written
// to disk, which can be neither measured nor cancelled part way; it is
// reported once, with done and total 0.
enum class WorkPhase { BackupCopy, Rewrite, Flush };

// What a front end supplies to a command. Every member may be left empty.
struct CommandHooks {
    // Asked first by DecryptCommand (Yes answers true). Empty: go ahead.
    std::function<bool()> ConfirmDecrypt;
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
