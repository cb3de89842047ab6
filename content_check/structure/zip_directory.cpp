// SPDX-License-Identifier: GPL-3.0-or-later
#include "zip_directory.h"

#include <algorithm>

namespace quarnix::structure {
namespace {

constexpr std::string_view EndSignature = "PK\x05\x06";

}  // namespace

std::optional<ZipDirectory> FindDirectory(const FileView& file, std::uint64_t search,
                                          bool* misplaced) {
    const std::uint64_t from = file.Length() - std::min(file.Length(), search);
    const auto tail = file.UpTo(from, search);
    if (!tail || tail->size() < 22) {
        return std::nullopt;
    }
    for (std::size_t at = tail->size() - 22 + 1; at-- > 0;) {
        if (!HasAt(*tail, at, EndSignature)) {
            continue;
        }
        const Bytes end = tail->subspan(at, 22);
        ZipDirectory directory{Le32(end, 16), Le32(end, 12), from + at};
        std::uint64_t directoryEnd = directory.EndOffset;
        if (directory.Offset == 0xffffffffu || directory.Size == 0xffffffffu) {
            // ZIP64: a locator just before the record gives the larger one's offset.
            const auto locator =
                directory.EndOffset >= 20 ? file.At(directory.EndOffset - 20, 20) : std::nullopt;
            const auto large = locator && HasAt(*locator, 0, "PK\x06\x07")
                                   ? file.At(Le64(*locator, 8), 56)
                                   : std::nullopt;
            if (!large || !HasAt(*large, 0, "PK\x06\x06")) {
                return std::nullopt;
            }
            directory.Size = Le64(*large, 40);
            directory.Offset = Le64(*large, 48);
            directoryEnd = Le64(*locator, 8);
        }
        const bool oneDisk =
            Le16(end, 4) == 0 && Le16(end, 6) == 0 && Le16(end, 8) == Le16(end, 10);
        if (at + 22 + Le16(end, 20) > tail->size() || !oneDisk || directory.Offset > directoryEnd ||
            directory.Size != directoryEnd - directory.Offset) {
            if (misplaced != nullptr) {
                *misplaced = true;
            }
            continue;  // the bytes of a comment, or offsets relative to something else
        }
        return directory;
    }
    return std::nullopt;
}

void ReadLargeFields(ZipEntry& entry, Bytes extra) {
    for (std::size_t at = 0; at + 4 <= extra.size();) {
        const std::uint16_t id = Le16(extra, at);
        const std::size_t size = Le16(extra, at + 2);
        if (at + 4 + size > extra.size()) {
            return;
        }
        if (id == 1) {
            std::size_t field = at + 4;
            for (std::uint64_t* value : {&entry.Size, &entry.Compressed, &entry.Offset}) {
                if (*value == 0xffffffffu && field + 8 <= at + 4 + size) {
                    *value = Le64(extra, field);
                    field += 8;
                }
            }
        }
        at += 4 + size;
    }
}

}  // namespace quarnix::structure
