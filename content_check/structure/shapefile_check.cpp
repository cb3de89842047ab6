// SPDX-License-Identifier: GPL-3.0-or-later
// Shapefiles (.shp, the shapes) and their indexes (.shx): a 100-byte header
// with a file code, five zero words, the file's length in 16-bit words and a
// version; then records, which in the shapes file are numbered from 1 on and
// each give their content's length, and in the index give where each shape
// record starts and how long it is. Numbers are big-endian, except the
// version and the shape types.

#include <array>

#include "format_checks.h"

namespace quarnix::structure {
namespace {

constexpr std::size_t HeaderLength = 100;
constexpr std::uint64_t ReadPastHead = 64 * 1024;

bool KnownShapeType(std::uint32_t type) {
    constexpr std::array<std::uint32_t, 14> Types = {0,  1,  3,  5,  8,  11, 13,
                                                     15, 18, 21, 23, 25, 28, 31};
    for (const std::uint32_t known : Types) {
        if (type == known) {
            return true;
        }
    }
    return false;
}

// The index: record i says where shape record i starts (in words) and its
// content's length; a writer puts each record right after the one before,
// and one that rewrote a shape may leave a gap, but never an overlap.
void CheckIndex(Bytes b, std::uint64_t fileLength, Finding& finding) {
    std::uint64_t next = HeaderLength / 2;  // where the next shape record may start
    bool contiguous = true;
    std::uint64_t at = HeaderLength;
    for (; at + 8 <= b.size(); at += 8) {
        const std::uint64_t offset = Be32(b, at), length = Be32(b, at + 4);
        if (offset < next) {
            finding.Break("index record overlaps the one before");
            return;
        }
        contiguous = contiguous && offset == next;
        next = offset + 4 + length;
    }
    if (b.size() >= fileLength && at != fileLength) {
        finding.Break("index of whole records");
        return;
    }
    if (contiguous) {
        // Each offset follows from the record before; the last length from nothing here.
        finding.Check(HeaderLength, at >= HeaderLength + 4 ? at - 4 : HeaderLength);
    }
}

// The shapes: records numbered 1, 2, 3..., each of one shape type (or the
// null shape), the last ending at the file's end.
void CheckShapes(Bytes b, std::uint64_t fileLength, std::uint32_t type, Finding& finding) {
    std::uint64_t at = HeaderLength;
    for (std::uint32_t number = 1; at + 12 <= b.size(); ++number) {
        const std::uint64_t end = at + 8 + 2 * std::uint64_t{Be32(b, at + 4)};
        if (Be32(b, at) != number) {
            finding.Break("shape record number");
            return;
        }
        const std::uint32_t shape = Le32(b, at + 8);
        if (shape != type && shape != 0) {
            finding.Break("shape type of a record");
            return;
        }
        if (end > fileLength) {
            finding.Break("shape record past the file's end");
            return;
        }
        finding.Check(at, at + 8);
        finding.Held += 4;
        at = end;
    }
    if (b.size() >= fileLength && at != fileLength) {
        finding.Break("shape records of the file's length");
    }
}

// The header's fixed bytes (file code, zero words, version) that `b` does
// not hold; SIZE_MAX when one of the code and the version is not exact,
// which many files that begin with zeros also miss.
std::size_t HeaderDiffers(Bytes b) {
    constexpr std::string_view Fixed("\0\0\x27\x0a\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 24);
    constexpr std::string_view Version("\xe8\x03\0\0", 4);
    if (b.size() < HeaderLength || (!HasAt(b, 0, Fixed.substr(0, 4)) && !HasAt(b, 28, Version))) {
        return SIZE_MAX;
    }
    std::size_t differ = 0;
    for (std::size_t i = 0; i < Fixed.size(); ++i) {
        differ += b[i] != static_cast<std::uint8_t>(Fixed[i]) ? 1 : 0;
    }
    for (std::size_t i = 0; i < Version.size(); ++i) {
        differ += b[28 + i] != static_cast<std::uint8_t>(Version[i]) ? 1 : 0;
    }
    return differ;
}

}  // namespace

bool LooksLikeShapefile(const FileView& file) {
    // Exact, or missing a few of its 28 fixed bytes: a shapefile, damaged.
    return HeaderDiffers(file.Head()) <= 28 / 4;
}

Finding CheckShapefile(const FileView& file) {
    const auto bytes = file.UpTo(0, file.Head().size() + ReadPastHead);
    if (!bytes || bytes->size() < HeaderLength) {
        return {};
    }
    const Bytes b = *bytes;
    // The index's first record says the first shape starts right after the header.
    const bool index = b.size() >= HeaderLength + 4 && Be32(b, HeaderLength) == HeaderLength / 2;
    Finding finding = FindingFor(index ? "application/vnd.shx" : "application/vnd.shp");
    if (HeaderDiffers(b) != 0) {
        return finding.Break("header's fixed bytes");
    }
    if (2 * std::uint64_t{Be32(b, 24)} != file.Length()) {
        return finding.Break("file length in the header");
    }
    const std::uint32_t type = Le32(b, 32);
    if (!KnownShapeType(type)) {
        return finding.Break("shape type");
    }
    finding.Check(0, 36);  // code, zero words, length, version, type
    index ? CheckIndex(b, file.Length(), finding) : CheckShapes(b, file.Length(), type, finding);
    if (!finding.Broken()) {
        finding.State = Integrity::Intact;
    }
    return finding;
}

}  // namespace quarnix::structure
