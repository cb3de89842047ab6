// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The next run's look at the run records beside a file (run_record.h): a
// record that proves to be for this very file as it is on disk finishes the
// work it covers, or undoes it; anything else is left where it is and named.
//
// A record is for the file when it was made by this user or the file's owner,
// no running command holds it, its checksum holds, it names the file's device,
// inode and length, and every unit of the region it covers holds on disk
// either its bytes before the work or its bytes after it. Its body then holds
// the encrypted side: an encryption is finished from it, marker rename
// included; a decryption is undone with it, unless the decrypted content is
// complete on disk already, when only the rename is left to finish.

#include <optional>
#include <string>
#include <vector>

#include "engine/files/held_folder.h"
#include "engine/files/work_failure.h"
#include "engine/files/work_file.h"

namespace quarnix {

struct SettleContext {
    WorkFile& File;
    const HeldFolder& RealFolder;  // the folder of the file's real path, where records stand
    const HeldFolder& PathFolder;  // the folder the request names the file in
    std::string RequestPath;       // the file as the request names it
    std::string Path;              // the same, reached through PathFolder
    std::string Target;            // the file's real path, reached through RealFolder
};

struct Settlement {
    std::vector<Leftover> Notes;
    // An earlier run's work was finished: the file is no longer what this
    // run's request was made for, and this run does nothing more.
    bool Finished = false;
};

// Settles the records named `names` (the record names found in the real
// folder). Refreshes what the file knows of itself when it wrote to it.
WorkResult SettleRecords(const SettleContext& context, const std::vector<std::string>& names,
                         Settlement* settlement);

// The level and direction of the work that a record among `names` was made
// for, when one stands for the file as it is; changes nothing. The next
// command on the file settles it first.
struct PendingRecord {
    quarnix::Level Level = quarnix::Level::Secret;
    Direction Way = Direction::Encrypt;
};
std::optional<PendingRecord> FindPendingRecord(const SettleContext& context,
                                               const std::vector<std::string>& names);

}  // namespace quarnix
