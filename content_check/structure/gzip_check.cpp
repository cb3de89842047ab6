// SPDX-License-Identifier: GPL-3.0-or-later
// gzip: a header, a deflate stream, and the CRC-32 and length of what it
// holds. The stream is inflated as far as the head reaches and a little
// beyond, to its end where that is near.

#include <zlib.h>

#include "deflate_stream.h"
#include "format_checks.h"

namespace quarnix::structure {
namespace {

constexpr std::uint64_t ReadPastHead = 64 * 1024;
constexpr std::uint64_t OutputLimit = 1024 * 1024;

// The offset just past a zero-terminated field from `at`; nullopt when cut off.
std::optional<std::uint64_t> PastString(Bytes b, std::uint64_t at) {
    for (; at < b.size(); ++at) {
        if (b[at] == 0) {
            return at + 1;
        }
    }
    return std::nullopt;
}

}  // namespace

// Told by its two magic bytes alone, as the shared MIME database tells it,
// so that a method byte put wrong shows as damage.
bool LooksLikeGzip(const FileView& file) {
    return HasAt(file.Head(), 0, "\x1f\x8b");
}

Finding CheckGzip(const FileView& file) {
    Finding finding = FindingFor("application/gzip");
    const auto bytes = file.UpTo(0, file.Head().size() + ReadPastHead);
    if (!bytes || bytes->size() < 18) {
        return finding;
    }
    const Bytes b = *bytes;
    if (b[2] != 8) {  // deflate, the only method there is
        return finding.Break("compression method");
    }
    const std::uint8_t flags = b[3];
    if ((flags & 0xe0) != 0) {
        return finding.Break("reserved header flags");
    }
    finding.Check(0, 3);
    std::uint64_t at = 10;
    if ((flags & 4) != 0) {  // extra field
        at += 2 + Le16(b, at);
    }
    for (const int field : {8, 16}) {  // name, comment
        if ((flags & field) != 0) {
            const auto past = PastString(b, at);
            if (!past) {
                return finding;
            }
            at = *past;
        }
    }
    if ((flags & 2) != 0) {  // header CRC: the low half of the header's CRC-32
        if (at + 2 > b.size()) {
            return finding;
        }
        const auto crc = crc32(crc32(0, nullptr, 0), b.data(), static_cast<uInt>(at));
        if ((crc & 0xffff) != Le16(b, at)) {
            return finding.Break("header CRC");
        }
        finding.Check(0, at + 2);
        at += 2;
    }
    if (at >= b.size()) {
        return finding;
    }
    DeflateStream stream(DeflateStream::Wrap::Raw);
    const auto state = stream.Feed(b.subspan(at), OutputLimit);
    if (state == DeflateStream::State::Broken) {
        return finding.Break("not a deflate stream");
    }
    if (state == DeflateStream::State::Ended) {
        const std::uint64_t trailer = at + stream.Consumed();
        if (trailer + 8 <= b.size()) {
            if (Le32(b, trailer) != stream.Crc() ||
                Le32(b, trailer + 4) != static_cast<std::uint32_t>(stream.Produced())) {
                return finding.Break("CRC-32 or length of the content");
            }
            finding.Check(at, trailer + 8);
        }
    }
    finding.State = Integrity::Intact;
    return finding;
}

}  // namespace quarnix::structure
