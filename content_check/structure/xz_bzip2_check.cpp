// SPDX-License-Identifier: GPL-3.0-or-later
// xz and bzip2, through their own libraries: xz's stream and block headers
// carry CRC-32s and each block a check of its content; bzip2's blocks start
// with a magic number and end with a CRC, and their coding tables must make
// sense long before that. The data is decoded as far as the head reaches and
// a little beyond.

#include <bzlib.h>
#include <lzma.h>

#include <array>

#include "format_checks.h"

namespace quarnix::structure {
namespace {

constexpr std::uint64_t ReadPastHead = 64 * 1024;
constexpr std::uint64_t OutputLimit = 1024 * 1024;
constexpr std::uint64_t MemoryLimit = 128 * 1024 * 1024;

}  // namespace

bool LooksLikeXz(const FileView& file) {
    return HasAt(file.Head(), 0,
                 std::string_view("\xfd"
                                  "7zXZ\0",
                                  6));
}

Finding CheckXz(const FileView& file) {
    Finding finding = FindingFor("application/x-xz");
    const auto bytes = file.UpTo(0, file.Head().size() + ReadPastHead);
    if (!bytes) {
        return finding;
    }
    lzma_stream zs = LZMA_STREAM_INIT;
    if (lzma_stream_decoder(&zs, MemoryLimit, LZMA_CONCATENATED) != LZMA_OK) {
        return finding;
    }
    std::array<std::uint8_t, 65536> out;
    zs.next_in = bytes->data();
    zs.avail_in = bytes->size();
    lzma_ret answer = LZMA_OK;
    while (answer == LZMA_OK && zs.total_out < OutputLimit) {
        zs.next_out = out.data();
        zs.avail_out = out.size();
        answer = lzma_code(&zs, zs.avail_in == 0 ? LZMA_FINISH : LZMA_RUN);
        if (answer == LZMA_OK && zs.avail_in == 0 && zs.avail_out == out.size()) {
            break;  // all taken, nothing more comes out
        }
    }
    lzma_end(&zs);
    if (answer == LZMA_DATA_ERROR || answer == LZMA_FORMAT_ERROR) {
        return finding.Break("xz data or check");
    }
    finding.Check(0, 12);  // the stream header and its CRC
    if (answer == LZMA_STREAM_END) {
        finding.Check(0, bytes->size());
    }
    finding.State = Integrity::Intact;
    return finding;
}

bool LooksLikeBzip2(const FileView& file) {
    const Bytes b = file.Head();
    return b.size() >= 10 && HasAt(b, 0, "BZh") && b[3] >= '1' && b[3] <= '9' &&
           (HasAt(b, 4, "\x31\x41\x59\x26\x53\x59") || HasAt(b, 4, "\x17\x72\x45\x38\x50\x90"));
}

Finding CheckBzip2(const FileView& file) {
    Finding finding = FindingFor("application/x-bzip2");
    const auto bytes = file.UpTo(0, file.Head().size() + ReadPastHead);
    if (!bytes) {
        return finding;
    }
    bz_stream bz{};
    if (BZ2_bzDecompressInit(&bz, 0, 0) != BZ_OK) {
        return finding;
    }
    std::array<char, 65536> out;
    bz.next_in = const_cast<char*>(reinterpret_cast<const char*>(bytes->data()));
    bz.avail_in = static_cast<unsigned>(bytes->size());
    int answer = BZ_OK;
    std::uint64_t produced = 0;
    while (answer == BZ_OK && produced < OutputLimit) {
        bz.next_out = out.data();
        bz.avail_out = out.size();
        answer = BZ2_bzDecompress(&bz);
        produced += out.size() - bz.avail_out;
        if (answer == BZ_OK && bz.avail_in == 0 && bz.avail_out == out.size()) {
            break;
        }
    }
    BZ2_bzDecompressEnd(&bz);
    if (answer == BZ_DATA_ERROR || answer == BZ_DATA_ERROR_MAGIC) {
        return finding.Break("bzip2 data or CRC");
    }
    finding.Check(0, 3);
    finding.Check(4, 10);
    if (answer == BZ_STREAM_END) {
        finding.Check(0, bytes->size());
    }
    finding.State = Integrity::Intact;
    return finding;
}

}  // namespace quarnix::structure
