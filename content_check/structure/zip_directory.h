// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A ZIP archive's central directory, found through the end record at the end
// of the file, and the fields of its entries.

#include <cstdint>
#include <optional>

#include "file_view.h"

namespace quarnix::structure {

struct ZipEntry {
    std::uint16_t Flags = 0;
    std::uint16_t Method = 0;
    std::uint32_t Crc = 0;
    std::uint64_t Compressed = 0;
    std::uint64_t Size = 0;
    std::uint64_t Offset = 0;
    Bytes Name;
};

struct ZipDirectory {
    std::uint64_t Offset = 0;
    std::uint64_t Size = 0;
    std::uint64_t EndOffset = 0;  // where the end record starts
};

// The end of central directory record, and the directory it describes when
// that lies just before it (as it does unless data was put before the
// archive). `misplaced` tells that an end record was there but described
// nothing of the sort.
std::optional<ZipDirectory> FindDirectory(const FileView& file, std::uint64_t search,
                                          bool* misplaced = nullptr);

// Sizes and offset from a ZIP64 extra field where the directory holds 0xffffffff.
void ReadLargeFields(ZipEntry& entry, Bytes extra);

}  // namespace quarnix::structure
