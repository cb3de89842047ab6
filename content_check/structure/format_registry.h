// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Tells a file's format by its signature and checks the format's own
// integrity data: CRCs, checksums, the places an index at the end gives,
// the rules of compressed data.

#include "file_view.h"
#include "finding.h"

namespace quarnix::structure {

// The finding of the first format whose signature the file has; Unknown when
// none has, or when the check could verify none of the head's bytes.
Finding CheckStructure(const FileView& file);

}  // namespace quarnix::structure
