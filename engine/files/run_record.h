// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The record a command keeps beside a file while it changes it
// (record_layout.h, docs/run-records.md), as the command writes it.
//
// The record is made like a temporary file: without a name, or under a hidden
// temporary name, readable by its owner only, locked for the whole command
// and given the file's owner, so that root's record for another user's file
// is that user's to settle. It gets its own hidden name of a fixed length
// (".quarnix-rec-" and 16 hexadecimal digits) only once head, table and body
// are complete and flushed, and the folder is flushed after that: a record
// under such a name is always whole. It goes again, with a folder flush, once
// the command is done, marker rename included.

#include <string>
#include <vector>

#include "engine/files/file_ops.h"
#include "engine/files/record_layout.h"
#include "engine/files/temp_file.h"
#include "engine/files/work_failure.h"
#include "engine/files/work_file.h"

namespace quarnix {

// Whether a name in a folder is that of a run record.
bool IsRecordName(const std::string& name);

class RunRecord {
  public:
    explicit RunRecord(FileOps& files) : files_(files), temp_(files) {}

    // Starts the record of work on `file` in `folder` (the folder of the
    // file's real path, held), whose name there is `forName`. `head` gives the
    // kind, level, direction, region and paths; the rest is filled in here.
    int Begin(const WorkFile& file, const std::string& folder, const std::string& forName,
              RecordHead head);

    int fd() const { return temp_.fd(); }
    const RecordHead& Head() const { return head_; }
    // Where the body starts in the record.
    std::uint64_t BodyOffset() const { return bodyOffset_; }
    void SetNewInode(std::uint64_t inode) { head_.NewInode = inode; }

    // Writes head and table, flushes the record, gives it its name and
    // flushes the folder. On failure *step says which of these failed and the
    // record is dropped.
    int Seal(const std::vector<UnitHashes>& table, FailedStep* step);

    bool Sealed() const { return !path_.empty(); }
    // The record's name in the folder, once sealed.
    const std::string& Path() const { return path_; }

    // Removes the record; once it was sealed, flushes the folder too. Answers
    // 0 or the -errno of the removal.
    int Drop();

    // Leaves a sealed record for the next run.
    void Keep();

  private:
    FileOps& files_;
    TempFile temp_;
    RecordHead head_;
    std::string folder_;
    std::string path_;
    std::uint64_t bodyOffset_ = 0;
};

}  // namespace quarnix
