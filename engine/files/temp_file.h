// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A new file beside its target that becomes the target only once it is
// complete and on disk. Until then it has no name where the file system
// allows it (O_TMPFILE), so that nothing is left behind even when the process
// is killed; elsewhere it has a hidden name that every failure removes. The
// hidden name carries a tag of the name it is made for (TempNamePrefix), so
// that one left by a kill or a power cut is found by the next run on that file;
// it is held locked while in use, so that the next run tells a live one from a
// stale one. A run record (run_record.h) is made the same way and then given
// a name of its own.

#include <string>

#include "engine/files/file_ops.h"
#include "engine/files/work_failure.h"

namespace quarnix {

// The start of every hidden name of a temporary file made for the name
// `forName` (the last part of a path): ".quarnix-" and a tag of that name.
std::string TempNamePrefix(const std::string& forName);

class TempFile {
  public:
    explicit TempFile(FileOps& files) : files_(files) {}
    // Discards the file unless it was put in place.
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    // Creates the file in `folder`, readable and writable by its owner only,
    // for the name `forName` there. Answers 0 or -errno.
    int Create(const std::string& folder, const std::string& forName);
    int fd() const { return fd_; }

    // Flushes the file's content and inode to disk. Call it after the last
    // change, before Replace.
    int Flush();

    // Puts the flushed file in place of `target` (replacing a file of that
    // name) and flushes the folder. On failure `*step` is ReplaceFile or
    // FlushFolder; only after FlushFolder does the new file stand at `target`.
    // The file stays open: Release hands its descriptor over.
    int Replace(const std::string& target, FailedStep* step);

    // The descriptor, no longer closed by this object.
    int Release();

    // Gives the file a hidden name in its folder where it has none yet.
    // Answers 0 or -errno.
    int GiveHiddenName();
    // Its name in the folder; empty while it has none.
    const std::string& Name() const { return name_; }
    // The name is no longer this file's (it was swapped with another's):
    // nothing removes it any more.
    void Disown() { name_.clear(); }

    // Flushes the file, gives it the name `path` in its folder without ever
    // replacing a file of that name (-EEXIST), and flushes the folder so that
    // the name survives a crash. On failure `*step` is FlushRecord, NameRecord
    // or FlushFolder. The file stays open; Discard and the destructor remove
    // that name again unless Keep was called.
    int Publish(const std::string& path, FailedStep* step);

    // Closes the file and leaves its name in place.
    void Keep();

    // Discards the file now. Answers 0 or the -errno of removing its name.
    int Discard();

  private:
    // A hidden name in the folder that is free at the moment.
    std::string CandidateName() const;

    FileOps& files_;
    std::string folder_;
    std::string prefix_;  // the folder and the start of every hidden name of this file
    std::string name_;    // empty while the file has no name
    int fd_ = -1;
};

}  // namespace quarnix
