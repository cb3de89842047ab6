// SPDX-License-Identifier: GPL-3.0-or-later
// PNG: every chunk ends in a CRC-32 of its type and data; the image data is
// one zlib stream cut across the IDAT chunks.

#include <zlib.h>

#include "deflate_stream.h"
#include "format_checks.h"

namespace quarnix::structure {
namespace {

constexpr std::string_view Signature = "\x89PNG\r\n\x1a\n";
// Past the head, chunks are read so far at most to see one chunk through.
constexpr std::uint64_t ReadPastHead = 256 * 1024;
// The image data is inflated so far at most: the CRCs cover all of it.
constexpr std::uint64_t InflateLimit = 512 * 1024;

bool IsLetter(std::uint8_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool ValidHeader(Bytes d) {
    const std::uint32_t width = Be32(d, 0), height = Be32(d, 4);
    const int depth = d[8], colour = d[9];
    const bool depthFits =
        (colour == 0 && (depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16)) ||
        (colour == 3 && (depth == 1 || depth == 2 || depth == 4 || depth == 8)) ||
        ((colour == 2 || colour == 4 || colour == 6) && (depth == 8 || depth == 16));
    return width > 0 && height > 0 && width <= 0x7fffffffu && height <= 0x7fffffffu && depthFits &&
           d[10] == 0 && d[11] == 0 && d[12] <= 1;
}

}  // namespace

bool LooksLikePng(const FileView& file) {
    return HasAt(file.Head(), 0, Signature);
}

Finding CheckPng(const FileView& file) {
    Finding finding = FindingFor("image/png");
    finding.Check(0, Signature.size());
    const std::uint64_t head = file.Head().size();
    // Apple's variant (a CgBI chunk first) keeps raw deflate data in IDAT.
    bool zlibData = true;
    DeflateStream image(DeflateStream::Wrap::Zlib);
    std::uint64_t at = Signature.size();
    int index = 0;
    while (at + 12 <= file.Length()) {
        const auto top = file.At(at, 8);
        if (!top || (at >= head && index > 0)) {
            break;
        }
        const std::uint32_t length = Be32(*top, 0);
        const Bytes type = top->subspan(4, 4);
        if (length > 0x7fffffffu) {
            return finding.Break("chunk length over 2^31");
        }
        for (const std::uint8_t c : type) {
            if (!IsLetter(c)) {
                return finding.Break("chunk type not letters");
            }
        }
        const std::uint64_t end = at + 12 + length;
        if ((index == 0 && !HasAt(type, 0, "IHDR") && !HasAt(type, 0, "CgBI")) ||
            (HasAt(type, 0, "IHDR") && length != 13) || (HasAt(type, 0, "IEND") && length != 0)) {
            return finding.Break("image header or end chunk");
        }
        if (end > file.Length()) {
            // A file cut short ends in a chunk cut short; no image has a
            // chunk of 16 MiB or more.
            if (length >= 1u << 24) {
                return finding.Break("chunk longer than the file");
            }
            break;
        }
        if (end > head && end - head > ReadPastHead) {
            break;
        }
        const auto chunk = file.At(at + 4, 4 + std::uint64_t{length} + 4);
        if (!chunk) {
            break;
        }
        const std::uint32_t stored = Be32(*chunk, 4 + length);
        const auto crc = static_cast<std::uint32_t>(
            crc32(crc32(0, nullptr, 0), chunk->data(), static_cast<uInt>(4 + length)));
        if (crc != stored) {
            return finding.Break("chunk CRC");
        }
        finding.Check(at, end);
        const Bytes data = chunk->subspan(4, length);
        if (index == 0 && HasAt(type, 0, "CgBI")) {
            zlibData = false;
        } else if (HasAt(type, 0, "IHDR") && length == 13 && !ValidHeader(data)) {
            return finding.Break("image header values");
        } else if (HasAt(type, 0, "IDAT") && zlibData && image.Produced() < InflateLimit &&
                   image.state() == DeflateStream::State::Running) {
            if (image.Feed(data, InflateLimit) == DeflateStream::State::Broken) {
                return finding.Break("image data not a zlib stream");
            }
        } else if (HasAt(type, 0, "IEND")) {
            break;
        }
        at = end;
        ++index;
    }
    finding.State = Integrity::Intact;
    return finding;
}

}  // namespace quarnix::structure
