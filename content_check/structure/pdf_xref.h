// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A PDF's cross-reference data: where each object of the file starts, read
// from the "xref" tables or cross-reference streams that the "startxref" at
// the file's end leads to, following each section's /Prev.

#include <cstdint>
#include <vector>

#include "file_view.h"
#include "finding.h"

namespace quarnix::structure {

struct PdfObjectPlace {
    std::uint64_t Number = 0;
    std::uint64_t Generation = 0;
    std::uint64_t Offset = 0;
};

struct PdfXref {
    std::vector<PdfObjectPlace> Objects;  // objects in use that lie at an offset
    // Entries of "xref" tables in the head that broke the entry layout
    // ("0000012345 00000 n" and an end of line).
    std::vector<std::uint64_t> MalformedEntries;
    std::vector<ByteRange> LayoutBytes;  // the spaces of well-formed entries in the head
    bool Encrypted = false;              // a trailer names an /Encrypt dictionary
};

// The offset the last "startxref" gives; nullopt when the file's last KiB has none.
std::optional<std::uint64_t> PdfStartXref(const FileView& file);

PdfXref ReadPdfXref(const FileView& file, std::uint64_t start);

}  // namespace quarnix::structure
