// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/file_metadata.h"

#include <linux/fs.h>

namespace quarnix {
namespace {

// The inode flags that say how a file's data is kept and that a new file can
// take before its data is written. Not the unchangeable ones (a file with
// those is refused) nor those the file system sets itself (extents, inline
// data, encryption, verity).
constexpr unsigned CarriedFlags = FS_SECRM_FL | FS_UNRM_FL | FS_COMPR_FL | FS_SYNC_FL |
                                  FS_NODUMP_FL | FS_NOATIME_FL | FS_JOURNAL_DATA_FL | FS_NOTAIL_FL |
                                  FS_NOCOW_FL | FS_NOCOMP_FL;

constexpr mode_t SetIdBits = S_ISUID | S_ISGID;

// True when `to` has the carried flags of `from` afterwards.
bool CarryFlags(FileOps& files, unsigned fromFlags, int to) {
    const unsigned wanted = fromFlags & CarriedFlags;
    unsigned now = 0;
    if (files.GetFlags(to, &now) < 0) {
        return wanted == 0;
    }
    if ((now & CarriedFlags) == wanted) {
        return true;
    }
    return files.SetFlags(to, (now & ~CarriedFlags) | wanted) == 0;
}

}  // namespace

bool CarryOverAll(const WorkFile& from, int to, const std::string& toName) {
    FileOps& files = from.files();
    const struct stat& found = from.Found();
    // The owner first: a change of owner would clear what comes after.
    struct stat made {};
    if (files.Fstat(to, &made) < 0) {
        return false;
    }
    if ((made.st_uid != found.st_uid || made.st_gid != found.st_gid) &&
        files.Fchown(to, found.st_uid, found.st_gid) < 0) {
        return false;
    }
    // The access control list is tried now, so that a list this user may not
    // set sends the work in place before anything is written; the bits then
    // close it to all but the owner until the content is complete (with a
    // list, they close its mask).
    return files.CopyAccessControl(from.fd(), from.Path(), to, toName) == 0 &&
           files.CopyAttributes(from.fd(), from.Path(), to, toName) == 0 &&
           CarryFlags(files, from.Flags(), to) && files.Fchmod(to, S_IRUSR | S_IWUSR) == 0;
}

int GiveAccess(const WorkFile& from, int to, const std::string& toName) {
    FileOps& files = from.files();
    if (const int copied = files.CopyAccessControl(from.fd(), from.Path(), to, toName);
        copied < 0) {
        return copied;
    }
    return SetFinalMode(files, to, from.Found().st_mode & 07777);
}

BackupAccess CarryOverToBackup(const WorkFile& from, int to, const std::string& toName,
                               bool ownerOnly) {
    FileOps& files = from.files();
    const struct stat& found = from.Found();
    BackupAccess access{found.st_mode & 07777, !ownerOnly};
    struct stat made {};
    if (files.Fstat(to, &made) < 0) {
        return {access.Mode & 0700, false};
    }
    bool sameOwner = made.st_uid == found.st_uid;
    bool sameGroup = made.st_gid == found.st_gid;
    if (!sameOwner || !sameGroup) {
        if (files.Fchown(to, found.st_uid, found.st_gid) == 0) {
            sameOwner = sameGroup = true;
        } else if (!sameGroup && files.Fchown(to, static_cast<uid_t>(-1), found.st_gid) == 0) {
            sameGroup = true;
        }
    }
    if (!sameOwner) {
        access.Mode &= ~S_ISUID;  // it would run as this user, not as the file's owner
    }
    // In another group, or in another folder (reached through a link), nobody
    // but the owner may read the backup, and the file's access control list
    // grants nothing.
    if (!sameGroup || ownerOnly) {
        access.Mode &= 0700;
        access.WithAccessList = false;
    }
    // The rest decides nothing about readers: carried where it can be.
    files.CopyAttributes(from.fd(), from.Path(), to, toName);
    CarryFlags(files, from.Flags(), to);
    return access;
}

int GiveBackupAccess(const WorkFile& from, int to, const std::string& toName,
                     const BackupAccess& access) {
    FileOps& files = from.files();
    mode_t mode = access.Mode;
    // Without the list, the bits alone could grant more than the list did.
    if (access.WithAccessList && files.CopyAccessControl(from.fd(), from.Path(), to, toName) < 0) {
        mode &= 0700;
    }
    return SetFinalMode(files, to, mode);
}

int SetFinalMode(FileOps& files, int fd, mode_t mode) {
    struct stat now {};
    if (files.Fstat(fd, &now) == 0 && (now.st_mode & 07777) == mode) {
        return 0;
    }
    return files.Fchmod(fd, mode);
}

bool RestoreSetIdBits(FileOps& files, int fd, mode_t mode) {
    mode &= 07777;
    struct stat now {};
    if ((mode & SetIdBits) == 0 || files.Fstat(fd, &now) < 0 || (now.st_mode & 07777) == mode) {
        return false;
    }
    // Not this user's to set when another owns the file: the bits stay
    // cleared, which grants less, never more.
    return files.Fchmod(fd, mode) == 0;
}

bool RestoreMode(const WorkFile& file) {
    return RestoreSetIdBits(file.files(), file.fd(), file.Found().st_mode);
}

}  // namespace quarnix
