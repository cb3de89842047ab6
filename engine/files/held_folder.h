// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A folder held open for the whole command, so that every later step in it
// happens in the folder that was found at the start, whatever becomes of its
// path meanwhile: another user who renames it away and puts a link to a
// folder of theirs in its place redirects nothing. The steps reach names in it
// through the descriptor (/proc/self/fd/N/NAME, as the kernel resolves the
// descriptor itself), so that they go through FileOps like any other path.

#include <string>

#include "engine/files/file_io.h"
#include "engine/files/file_ops.h"

namespace quarnix {

class HeldFolder {
  public:
    explicit HeldFolder(FileOps& files) : files_(files), fd_(files, -1) {}

    // Opens `folder` and holds it. Answers 0 or -errno. Where /proc is not
    // mounted, the folder's paths are its plain ones.
    int Hold(const std::string& folder);

    // The path of `name` in the held folder.
    std::string PathOf(const std::string& name) const { return prefix_ + "/" + name; }
    // The held folder itself, as a path.
    const std::string& Path() const { return prefix_; }

    // A path made by PathOf as the user knows it: in the folder as named.
    std::string Shown(const std::string& path) const;

  private:
    FileOps& files_;
    OwnedFd fd_;
    std::string folder_;  // as named
    std::string prefix_;  // as reached through the descriptor
};

}  // namespace quarnix
