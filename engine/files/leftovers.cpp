// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/leftovers.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <set>

#include "engine/files/file_io.h"
#include "engine/files/temp_file.h"

namespace quarnix {
namespace {

// Whether the file at `path` is a temporary file a command of this user or of
// the file's owner left: a regular file that no running command holds
// locked (TempFile locks its file for as long as it is in use).
bool StaleTemp(FileOps& files, const std::string& path, uid_t fileOwner) {
    OwnedFd fd(files, files.Open(path, O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0));
    struct stat info {};
    struct stat named {};
    if (fd.get() < 0 || files.Fstat(fd.get(), &info) < 0 || !S_ISREG(info.st_mode) ||
        (info.st_uid != ::geteuid() && info.st_uid != fileOwner)) {
        return false;
    }
    const int locked = files.Lock(fd.get());
    return locked != -EAGAIN && locked != -EACCES && files.Lstat(path, &named) == 0 &&
           SameFile(named, info);
}

// Removes the stale hidden temporary files made for any of `paths`. `listed`
// holds the names already read of one folder. Each other folder is read once.
void RemoveStaleTemps(FileOps& files, uid_t fileOwner, const std::vector<std::string>& paths,
                      const std::string& listedFolder, const std::vector<std::string>& listed,
                      std::vector<Leftover>* notes) {
    std::map<std::string, std::set<std::string>> prefixes;  // folder: tags of names in it
    for (const std::string& path : paths) {
        prefixes[FolderOf(path)].insert(TempNamePrefix(NameOf(path)));
    }
    for (const auto& [folder, tags] : prefixes) {
        std::vector<std::string> names;
        if (folder == listedFolder) {
            names = listed;
        } else if (files.ListFolder(folder, &names) < 0) {
            continue;  // a folder this user may not read holds no temporary file of ours
        }
        for (const std::string& name : names) {
            const std::size_t tagLength = name.size() - std::min<std::size_t>(name.size(), 6);
            if (name.size() <= 6 || tags.count(name.substr(0, tagLength)) == 0) {
                continue;
            }
            const std::string stale = folder + "/" + name;
            if (StaleTemp(files, stale, fileOwner) && files.Unlink(stale) == 0) {
                Leftover note;
                note.Path = stale;
                notes->push_back(note);
            }
        }
    }
}

}  // namespace

WorkResult SettleLeftovers(const SettleContext& context,
                           const std::vector<std::string>& backupPaths, Settlement* settlement) {
    FileOps& files = context.File.files();
    const std::string folder = context.RealFolder.Path();
    std::vector<std::string> names;
    files.ListFolder(folder, &names);  // unreadable: there is nothing of ours to find
    if (auto failed = SettleRecords(context, names, settlement)) {
        return failed;
    }
    std::vector<std::string> paths = backupPaths;
    paths.push_back(context.Target);
    const std::size_t before = settlement->Notes.size();
    RemoveStaleTemps(files, context.File.Found().st_uid, paths, folder, names, &settlement->Notes);
    if (settlement->Notes.size() > before) {
        FlushFolder(files, folder);
    }
    return std::nullopt;
}

}  // namespace quarnix
