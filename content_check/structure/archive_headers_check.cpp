// SPDX-License-Identifier: GPL-3.0-or-later
// 7z and RAR: their headers carry CRC-32s of their own bytes. 7z's start
// header holds the CRC of the pointer to the header at the end; RAR's blocks
// (versions 4 and 5) each begin with the CRC of their header.

#include <zlib.h>

#include "format_checks.h"

namespace quarnix::structure {
namespace {

constexpr std::string_view SevenZipSignature = "7z\xbc\xaf\x27\x1c";
constexpr std::string_view Rar4Signature = std::string_view("Rar!\x1a\x07\x00", 7);
constexpr std::string_view Rar5Signature = std::string_view("Rar!\x1a\x07\x01\x00", 8);
constexpr std::uint64_t EndHeaderReadLimit = 256 * 1024;

std::uint32_t Crc(Bytes b) {
    return static_cast<std::uint32_t>(
        crc32(crc32(0, nullptr, 0), b.data(), static_cast<uInt>(b.size())));
}

// A RAR 5 variable-length integer at `at`, which moves past it.
std::optional<std::uint64_t> Vint(Bytes b, std::size_t& at) {
    std::uint64_t value = 0;
    for (int shift = 0; shift < 64 && at < b.size(); shift += 7) {
        const std::uint8_t byte = b[at++];
        value |= std::uint64_t{byte & 0x7fu} << shift;
        if ((byte & 0x80) == 0) {
            return value;
        }
    }
    return std::nullopt;
}

Finding CheckSevenZip(const FileView& file, Finding finding) {
    const auto start = file.At(0, 32);
    if (!start) {
        return finding;
    }
    if ((*start)[6] != 0 || Crc(start->subspan(12, 20)) != Le32(*start, 8)) {
        return finding.Break("start header CRC");
    }
    finding.Check(0, 7);  // the signature and the major version
    finding.Check(8, 32);
    const std::uint64_t offset = Le64(*start, 12), size = Le64(*start, 20);
    if (offset > file.Length() || size > file.Length() - offset ||
        32 + offset + size > file.Length()) {
        return finding.Break("end header outside the file");
    }
    if (size > 0 && size <= EndHeaderReadLimit) {
        if (const auto end = file.At(32 + offset, size)) {
            if (Crc(*end) != Le32(*start, 28)) {
                return finding.Break("end header CRC");
            }
            finding.Check(32 + offset, 32 + offset + size);
        }
    }
    finding.State = Integrity::Intact;
    return finding;
}

Finding CheckRar4(const FileView& file, Finding finding) {
    const Bytes b = file.Head();
    std::uint64_t at = Rar4Signature.size();
    finding.Check(0, at);
    while (at + 7 <= b.size()) {
        const std::uint16_t flags = Le16(b, at + 3);
        const std::uint16_t size = Le16(b, at + 5);
        if (size < 7) {
            return finding.Break("block header size");
        }
        if (at + size > b.size()) {
            break;
        }
        const auto crc = Crc(b.subspan(at + 2, size - 2u)) & 0xffff;
        if (crc != Le16(b, at)) {
            return finding.Break("block header CRC");
        }
        finding.Check(at, at + size);
        std::uint64_t next = at + size;
        if ((flags & 0x8000) != 0 && size >= 11) {
            next += Le32(b, at + 7);  // the data that follows the header
        }
        if (b[at + 2] == 0x7b) {
            break;  // end of archive
        }
        at = next;
    }
    finding.State = Integrity::Intact;
    return finding;
}

Finding CheckRar5(const FileView& file, Finding finding) {
    const Bytes b = file.Head();
    std::uint64_t at = Rar5Signature.size();
    finding.Check(0, at);
    while (at + 6 <= b.size()) {
        std::size_t p = at + 4;
        const auto size = Vint(b, p);
        if (!size || *size == 0 || *size > 2 * 1024 * 1024) {
            return finding.Break("header size");
        }
        const std::size_t headerStart = p;
        if (headerStart + *size > b.size()) {
            break;
        }
        if (Crc(b.subspan(at + 4, headerStart - at - 4 + *size)) != Le32(b, at)) {
            return finding.Break("header CRC");
        }
        finding.Check(at, headerStart + *size);
        const auto type = Vint(b, p);
        const auto flags = Vint(b, p);
        if (!type || !flags) {
            break;
        }
        std::uint64_t data = 0;
        if ((*flags & 1) != 0 && !Vint(b, p)) {
            break;
        }
        if ((*flags & 2) != 0) {
            const auto dataSize = Vint(b, p);
            if (!dataSize) {
                break;
            }
            data = *dataSize;
        }
        if (*type == 5) {
            break;  // end of archive
        }
        at = headerStart + *size + data;
    }
    finding.State = Integrity::Intact;
    return finding;
}

}  // namespace

bool LooksLikeSevenZip(const FileView& file) {
    return HasAt(file.Head(), 0, SevenZipSignature);
}

Finding CheckSevenZipArchive(const FileView& file) {
    return CheckSevenZip(file, FindingFor("application/x-7z-compressed"));
}

bool LooksLikeRar(const FileView& file) {
    return HasAt(file.Head(), 0, Rar4Signature) || HasAt(file.Head(), 0, Rar5Signature);
}

Finding CheckRar(const FileView& file) {
    const Finding finding = FindingFor("application/vnd.rar");
    return HasAt(file.Head(), 0, Rar5Signature) ? CheckRar5(file, finding)
                                                : CheckRar4(file, finding);
}

}  // namespace quarnix::structure
