// SPDX-License-Identifier: GPL-3.0-or-later
// TrueType and OpenType fonts (and collections of them): a table directory
// with a checksum per table, the sum of the table's 32-bit words. WOFF keeps
// the same tables, each zlib-compressed or not, with the checksum of the
// original.

#include <zlib.h>

#include "format_checks.h"

namespace quarnix::structure {
namespace {

constexpr std::uint64_t TableReadLimit = 256 * 1024;

bool IsFlavour(std::uint32_t tag) {
    return tag == 0x00010000 || tag == 0x4f54544f /* OTTO */ || tag == 0x74727565 /* true */;
}

bool PrintableTag(Bytes tag) {
    for (const std::uint8_t c : tag) {
        if (c < 0x20 || c > 0x7e) {
            return false;
        }
    }
    return true;
}

// The sum of the big-endian words of `data`, the last one padded with zeros;
// `head`: without the 'head' table's checkSumAdjustment (bytes 8 to 11).
std::uint32_t TableSum(Bytes data, bool head) {
    std::uint32_t sum = 0;
    for (std::size_t at = 0; at < data.size(); at += 4) {
        if (head && at == 8) {
            continue;
        }
        std::uint32_t word = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            word = word << 8 | (at + i < data.size() ? data[at + i] : 0);
        }
        sum += word;
    }
    return sum;
}

// Whether a table's data sums to `stored`. Some writers sum the 'head' table
// with its checkSumAdjustment, as any other table.
bool SumHolds(Bytes data, Bytes tag, std::uint32_t stored) {
    return TableSum(data, false) == stored ||
           (HasAt(tag, 0, "head") && TableSum(data, true) == stored);
}

// One font's table directory at `base`.
void CheckFont(const FileView& file, std::uint64_t base, Finding& finding) {
    const auto top = file.At(base, 12);
    if (!top) {
        return;
    }
    const std::uint16_t tables = Be16(*top, 4);
    const auto directory = file.At(base + 12, 16u * tables);
    if (tables == 0 || !directory) {
        return;
    }
    finding.Check(base, base + 4);
    for (std::uint16_t i = 0; i < tables && !finding.Broken(); ++i) {
        const Bytes record = directory->subspan(16u * i, 16);
        const std::uint64_t offset = Be32(record, 8), length = Be32(record, 12);
        if (!PrintableTag(record.first(4))) {
            finding.Break("table tag");
            return;
        }
        if (offset > file.Length() || length > file.Length() - offset) {
            finding.Break("table outside the file");
            return;
        }
        if (length > TableReadLimit) {
            continue;
        }
        const auto data = file.At(offset, length);
        if (!data) {
            continue;
        }
        if (!SumHolds(*data, record, Be32(record, 4))) {
            finding.Break("table checksum");
            return;
        }
        finding.Check(base + 12 + 16u * i + 4, base + 12 + 16u * i + 8);
        finding.Check(offset, offset + length);
    }
}

void CheckWoff(const FileView& file, Finding& finding) {
    const auto top = file.At(0, 44);
    if (!top || Be32(*top, 8) != file.Length() || Be16(*top, 14) != 0) {
        finding.Break("WOFF header");
        return;
    }
    finding.Check(0, 4);
    finding.Check(8, 12);  // the file's length
    finding.Check(14, 16);
    const std::uint16_t tables = Be16(*top, 12);
    const auto directory = file.At(44, 20u * tables);
    if (!directory) {
        return;
    }
    for (std::uint16_t i = 0; i < tables && !finding.Broken(); ++i) {
        const Bytes record = directory->subspan(20u * i, 20);
        const std::uint64_t offset = Be32(record, 4), stored = Be32(record, 8);
        const std::uint64_t length = Be32(record, 12);
        if (offset > file.Length() || stored > file.Length() - offset || stored > length) {
            finding.Break("table outside the file");
            return;
        }
        if (length > TableReadLimit) {
            continue;
        }
        const auto data = file.At(offset, stored);
        if (!data) {
            continue;
        }
        std::vector<std::uint8_t> table(data->begin(), data->end());
        if (stored < length) {
            uLongf made = length;
            table.assign(length, 0);
            if (uncompress(table.data(), &made, data->data(), stored) != Z_OK || made != length) {
                finding.Break("compressed table");
                return;
            }
        }
        if (!SumHolds(table, record, Be32(record, 16))) {
            finding.Break("table checksum");
            return;
        }
        finding.Check(offset, offset + stored);
    }
}

}  // namespace

bool LooksLikeFont(const FileView& file) {
    const Bytes b = file.Head();
    if (b.size() < 12) {
        return false;
    }
    const std::uint32_t tag = Be32(b, 0);
    const std::uint16_t tables = Be16(b, 4);
    return ((IsFlavour(tag) && tables > 0 && tables < 256 && b.size() >= 28 &&
             PrintableTag(b.subspan(12, 4))) ||
            HasAt(b, 0, "ttcf") || HasAt(b, 0, "wOFF"));
}

Finding CheckFont(const FileView& file) {
    Finding finding = FindingFor("font/ttf");
    const Bytes b = file.Head();
    if (HasAt(b, 0, "wOFF")) {
        finding.Format = "font/woff";
        CheckWoff(file, finding);
    } else if (HasAt(b, 0, "ttcf")) {
        finding.Format = "font/collection";
        const std::uint32_t fonts = Be32(b, 8);
        for (std::uint32_t i = 0;
             i < fonts && i < 16 && 16 + 4 * i <= b.size() && !finding.Broken(); ++i) {
            CheckFont(file, Be32(b, 12 + 4 * i), finding);
        }
    } else {
        if (HasAt(b, 0, "OTTO")) {
            finding.Format = "font/otf";
        }
        CheckFont(file, 0, finding);
    }
    if (!finding.Broken()) {
        finding.State = Integrity::Intact;
    }
    return finding;
}

}  // namespace quarnix::structure
