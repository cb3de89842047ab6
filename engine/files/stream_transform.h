// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TopSecret's transform streamed from one open file into another, chunk by
// chunk, so that memory stays bounded whatever the file's size.

#include <cstdint>
#include <string>

#include "engine/files/file_io.h"
#include "engine/files/file_ops.h"
#include "engine/files/record_units.h"
#include "engine/files/work_failure.h"
#include "engine/format/cipher.h"

namespace quarnix {

// Where a streamed transform reads and writes.
struct StreamEnds {
    int Source = -1;
    std::uint64_t SourceOffset = 0;  // where the input's offset 0 lies in Source
    FailedStep ReadStep = FailedStep::ReadFile;
    int Target = -1;  // -1: nothing is written, the output only hashed
    std::uint64_t TargetOffset = 0;
    FailedStep WriteStep = FailedStep::WriteTemp;
    std::string TargetFolder;        // named in a failure to write
    UnitHasher* Hasher = nullptr;    // given the output in order, when set
    std::uint64_t ProgressBase = 0;  // added to the bytes done in progress reports
    // The target will be read back, so its pages stay in the cache (see WriteBehind).
    bool ReadAgain = false;
};

// Writes the transformed content of a file of `fileLength` bytes, read from
// `ends.Source`, to `ends.Target`. Reports the bytes written through
// `progress` and stops at a cancel request. The transform rotates the whole
// file, so the target holds the complete new content only once this answers
// success.
WorkResult StreamTransformed(FileOps& files, std::uint64_t fileLength, const StreamEnds& ends,
                             Direction way, const CipherKeys& keys, const PhaseProgress& progress);

}  // namespace quarnix
