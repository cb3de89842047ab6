// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The real file system seen as a disk that a power cut can hit: the process
// stops dead before a chosen call (every later call fails and changes
// nothing), and then each 4 KiB page written since its file's last flush is
// lost or kept, as a pattern says. A lost page within the length the file had
// at its last flush holds its flushed bytes again; one past that length is
// cut off with the rest of the file, or reads as zeros, or holds whatever the
// disk had there before. Folder entries are taken as written at once. Close
// and the two write-back hints pass on uncounted, before and after the stop:
// they change nothing that a power cut shows.

#include <sys/stat.h>

#include <cstdint>
#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "engine/files/forwarding_file_ops.h"

namespace quarnix::test {

class DiskModelFileOps : public ForwardingFileOps {
  public:
    // The process stops before call number `crashAt` (from 0); -1: never.
    // Without `unnamedTemp` the file system has no O_TMPFILE.
    DiskModelFileOps(int crashAt, bool unnamedTemp);
    ~DiskModelFileOps() override;

    int CallsMade() const { return calls_; }

    // What a lost page past a file's flushed length holds after a power cut.
    enum class PastEnd { Lost, Zeroed, Stale };

    // The power fails: every page written and not flushed since is put back
    // as it was at its file's last flush unless `kept(page)` says it reached
    // the disk.
    void PowerCut(const std::function<bool(std::int64_t page)>& kept,
                  PastEnd pastEnd = PastEnd::Lost);

  protected:
    std::int64_t Intercept(const FileCall& call, const Forward& forward) override;

  private:
    // What a file held at its last flush, for the pages changed since.
    struct Unflushed {
        int fd = -1;  // a descriptor of its own, to put the pages back
        std::int64_t flushedSize = 0;
        std::map<std::int64_t, std::vector<std::uint8_t>> pages;  // page: its flushed bytes
    };

    // Notes the flushed bytes of the pages that a write of [offset, offset+size) changes.
    void BeforeWrite(int fd, std::int64_t offset, std::int64_t size);
    void Flushed(int fd);

    int crashAt_;
    bool unnamedTemp_;
    int calls_ = 0;
    std::map<std::pair<dev_t, ino_t>, Unflushed> files_;
};

}  // namespace quarnix::test
