// SPDX-License-Identifier: GPL-3.0-or-later
// tar (POSIX ustar and GNU): 512-byte headers, each with the sum of its own
// bytes, the next one after the member's data rounded up to 512 bytes.

#include "format_checks.h"

namespace quarnix::structure {
namespace {

constexpr std::uint64_t Block = 512;
constexpr std::size_t HeadersRead = 64;

// An octal field: digits, then spaces or NULs; GNU's base-256 when the
// first byte has its high bit set.
std::optional<std::uint64_t> Octal(Bytes field) {
    if ((field[0] & 0x80) != 0) {
        std::uint64_t value = field[0] & 0x7f;
        for (std::size_t i = 1; i < field.size(); ++i) {
            value = value << 8 | field[i];
        }
        return value;
    }
    std::size_t at = 0;
    while (at < field.size() && field[at] == ' ') {
        ++at;
    }
    std::uint64_t value = 0;
    bool digits = false;
    for (; at < field.size() && field[at] >= '0' && field[at] <= '7'; ++at) {
        value = value * 8 + static_cast<std::uint64_t>(field[at] - '0');
        digits = true;
    }
    for (; at < field.size(); ++at) {
        if (field[at] != ' ' && field[at] != 0) {
            return std::nullopt;
        }
    }
    return digits ? std::optional(value) : std::nullopt;
}

bool Zero(Bytes b) {
    for (const std::uint8_t c : b) {
        if (c != 0) {
            return false;
        }
    }
    return true;
}

// Whether the header's sum matches its checksum field, counted unsigned as
// POSIX says or signed as some old writers did.
bool SumHolds(Bytes h) {
    const auto stored = Octal(h.subspan(148, 8));
    if (!stored) {
        return false;
    }
    std::uint64_t unsignedSum = 0;
    std::int64_t signedSum = 0;
    for (std::size_t i = 0; i < Block; ++i) {
        const std::uint8_t c = i >= 148 && i < 156 ? ' ' : h[i];
        unsignedSum += c;
        signedSum += static_cast<std::int8_t>(c);
    }
    return *stored == unsignedSum || static_cast<std::int64_t>(*stored) == signedSum;
}

}  // namespace

bool LooksLikeTar(const FileView& file) {
    const Bytes b = file.Head();
    if (b.size() < Block) {
        return false;
    }
    // POSIX and GNU archives say so; older ones are told by a header whose
    // sum holds, which few other starts do.
    return HasAt(b, 257, std::string_view("ustar\0", 6)) ||
           HasAt(b, 257, std::string_view("ustar  \0", 8)) ||
           (b[0] != 0 && !Zero(b.subspan(148, 8)) && SumHolds(b.first(Block)));
}

Finding CheckTar(const FileView& file) {
    Finding finding = FindingFor("application/x-tar");
    std::uint64_t at = 0;
    for (std::size_t n = 0; n < HeadersRead && at < file.Head().size(); ++n) {
        const auto header = file.At(at, Block);
        if (!header) {
            break;
        }
        if (Zero(*header)) {
            break;  // the end of the archive
        }
        if (!SumHolds(*header)) {
            return finding.Break("header checksum");
        }
        finding.Check(at, at + Block);
        const auto size = Octal(header->subspan(124, 12));
        if (!size) {
            break;
        }
        const std::uint8_t type = (*header)[156];
        // Links, devices, folders and FIFOs have no data, whatever their size says.
        const bool data = !(type >= '1' && type <= '6');
        at += Block + (data ? (*size + Block - 1) / Block * Block : 0);
    }
    finding.State = Integrity::Intact;
    return finding;
}

}  // namespace quarnix::structure
