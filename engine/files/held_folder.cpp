// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/held_folder.h"

#include <fcntl.h>

namespace quarnix {

int HeldFolder::Hold(const std::string& folder) {
    const int fd = files_.Open(folder, O_PATH | O_DIRECTORY, 0);
    if (fd < 0) {
        return fd;
    }
    fd_.Reset(fd);
    folder_ = folder;
    prefix_ = "/proc/self/fd/" + std::to_string(fd);
    struct stat named {};
    struct stat held {};
    if (files_.Stat(prefix_, &held) < 0 || files_.Stat(folder, &named) < 0 ||
        !SameFile(held, named)) {
        prefix_ = folder;  // no /proc: the path as named is all there is
    }
    return 0;
}

std::string HeldFolder::Shown(const std::string& path) const {
    if (prefix_.empty() || prefix_ == folder_) {
        return path;
    }
    if (path.compare(0, prefix_.size() + 1, prefix_ + "/") == 0) {
        const std::string name = path.substr(prefix_.size() + 1);
        return folder_ == "." ? name : (folder_ == "/" ? "/" : folder_ + "/") + name;
    }
    return path == prefix_ ? folder_ : path;
}

}  // namespace quarnix
