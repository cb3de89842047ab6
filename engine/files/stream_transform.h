// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TopSecret's transform streamed from one open file into another, chunk by
// chunk, so that memory stays bounded whatever the file's size.

#include <cstdint>
#include <string>

#include "engine/files/file_io.h"
#include "engine/files/file_ops.h"
#include "engine/files/work_failure.h"
#include "engine/format/cipher.h"

namespace quarnix {

// Writes the transformed content of the open file `source` (`fileLength`
// bytes) from offset 0 of the open file `target`, a temporary file in
// `targetFolder`. Reports the bytes written through `progress` and stops at a
// cancel request. The transform rotates the whole file, so `target` holds the
// complete new content only once this answers success. `readAgain`: the
// target will be read back, so its pages stay in the cache (see WriteBehind).
WorkResult StreamTransformed(FileOps& files, int source, std::uint64_t fileLength, int target,
                             const std::string& targetFolder, Direction way, const CipherKeys& keys,
                             const PhaseProgress& progress, bool readAgain);

}  // namespace quarnix
