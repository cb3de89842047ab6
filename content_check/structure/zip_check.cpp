// SPDX-License-Identifier: GPL-3.0-or-later
// ZIP and everything built on it (docx, xlsx, pptx, odt, jar, epub, apk): the
// central directory at the end says where each entry's local header is, what
// it holds and the CRC-32 of its data. Entries whose local header lies in the
// head are checked against it, their data through inflate and CRC-32.

#include <zlib.h>

#include <algorithm>

#include "deflate_stream.h"
#include "format_checks.h"

namespace quarnix::structure {
namespace {

constexpr std::string_view LocalSignature = "PK\x03\x04";
constexpr std::string_view CentralSignature = "PK\x01\x02";
constexpr std::string_view EndSignature = "PK\x05\x06";
constexpr std::uint64_t EndSearch = 22 + 65535;
constexpr std::uint64_t DirectoryReadLimit = 256 * 1024;
// Entry data is read past the head up to here, to see an entry through.
constexpr std::uint64_t ReadPastHead = 64 * 1024;
// What all entries' data may inflate to, together.
constexpr std::uint64_t InflateBudget = 2 * 1024 * 1024;

struct Entry {
    std::uint16_t Flags = 0;
    std::uint16_t Method = 0;
    std::uint32_t Crc = 0;
    std::uint64_t Compressed = 0;
    std::uint64_t Size = 0;
    std::uint64_t Offset = 0;
    Bytes Name;
};

struct Directory {
    std::uint64_t Offset = 0;
    std::uint64_t Size = 0;
    std::uint64_t EndOffset = 0;  // where the end record starts
};

// The end of central directory record, and the directory it describes when
// that lies just before it (as it does unless data was put before the
// archive). `misplaced` tells that an end record was there but described
// nothing of the sort.
std::optional<Directory> FindDirectory(const FileView& file, std::uint64_t search,
                                       bool* misplaced = nullptr) {
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
        Directory directory{Le32(end, 16), Le32(end, 12), from + at};
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

// The compression methods the format defines.
bool KnownMethod(std::uint16_t method) {
    return method <= 20 || (method >= 93 && method <= 99);
}

// Sizes and offset from a ZIP64 extra field where the directory holds 0xffffffff.
void ReadLargeFields(Entry& entry, Bytes extra) {
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

// Checks an entry's data from `start` against its CRC-32 and sizes.
void CheckData(const FileView& file, const Entry& entry, std::uint64_t start, Finding& finding,
               std::uint64_t& budget) {
    const std::uint64_t head = file.Head().size();
    if ((entry.Flags & 1) != 0 || (entry.Method != 0 && entry.Method != 8)) {
        return;  // encrypted, or a method zlib does not know
    }
    const std::uint64_t end = start + entry.Compressed;
    if (end > file.Length()) {
        finding.Break("entry data past the end of the file");
        return;
    }
    const std::uint64_t reach = std::min(end, head + ReadPastHead);
    if (reach <= start) {
        return;
    }
    const auto data = file.At(start, reach - start);
    if (!data) {
        return;
    }
    if (entry.Method == 0) {
        if (reach < end) {
            return;
        }
        if (entry.Compressed != entry.Size) {
            finding.Break("stored entry sizes differ");
            return;
        }
        const auto crc = crc32(crc32(0, nullptr, 0), data->data(), static_cast<uInt>(data->size()));
        if (crc != entry.Crc) {
            finding.Break("stored entry CRC-32");
            return;
        }
        finding.Check(start, end);
        return;
    }
    if (budget == 0) {
        return;
    }
    DeflateStream stream(DeflateStream::Wrap::Raw);
    const auto state = stream.Feed(*data, std::min(entry.Size, budget));
    budget -= std::min(budget, stream.Produced());
    if (state == DeflateStream::State::Broken) {
        finding.Break("entry data not a deflate stream");
    } else if (stream.Produced() > entry.Size) {
        finding.Break("entry longer than its size");
    } else if (state == DeflateStream::State::Ended) {
        if (stream.Produced() != entry.Size || stream.Crc() != entry.Crc) {
            finding.Break("entry CRC-32 or size");
            return;
        }
        finding.Check(start, start + stream.Consumed());
    }
}

// The local header at entry.Offset against the directory's entry, then its data.
void CheckEntry(const FileView& file, const Entry& entry, Finding& finding, std::uint64_t& budget) {
    const auto local = file.At(entry.Offset, 30);
    if (!local) {
        return;
    }
    const std::uint64_t at = entry.Offset;
    if (!HasAt(*local, 0, LocalSignature)) {
        finding.Break("no local header where the directory says");
        return;
    }
    finding.Check(at, at + 4);
    const std::uint16_t nameLength = Le16(*local, 26);
    const std::uint16_t extraLength = Le16(*local, 28);
    const auto name = file.At(at + 30, nameLength);
    if (nameLength != entry.Name.size() || Le16(*local, 8) != entry.Method || !name ||
        !std::equal(name->begin(), name->end(), entry.Name.begin())) {
        finding.Break("local header differs from the directory");
        return;
    }
    finding.Check(at + 8, at + 10);
    finding.Check(at + 26, at + 28);
    finding.Check(at + 30, at + 30 + nameLength);
    const std::uint32_t crc = Le32(*local, 14);
    const std::uint32_t compressed = Le32(*local, 18), size = Le32(*local, 22);
    const bool sizesThere = (entry.Flags & 8) == 0 && (crc | compressed | size) != 0 &&
                            compressed != 0xffffffffu && size != 0xffffffffu;
    if (sizesThere) {
        if (crc != entry.Crc || compressed != entry.Compressed || size != entry.Size) {
            finding.Break("local CRC-32 or sizes differ from the directory");
            return;
        }
        finding.Check(at + 14, at + 26);
    }
    CheckData(file, entry, at + 30 + nameLength + extraLength, finding, budget);
}

// Without a directory: local headers one after another from the start, as far
// as each says where the next one begins.
void WalkLocalHeaders(const FileView& file, Finding& finding, std::uint64_t& budget) {
    std::uint64_t at = 0;
    while (at < file.Head().size() && !finding.Broken()) {
        const auto local = file.At(at, 30);
        if (!local || !HasAt(*local, 0, LocalSignature)) {
            return;
        }
        Entry entry;
        entry.Flags = Le16(*local, 6);
        entry.Method = Le16(*local, 8);
        if (!KnownMethod(entry.Method)) {
            finding.Break("unknown compression method");
            return;
        }
        entry.Crc = Le32(*local, 14);
        entry.Compressed = Le32(*local, 18);
        entry.Size = Le32(*local, 22);
        if ((entry.Flags & 8) != 0 || entry.Compressed == 0xffffffffu) {
            return;  // the sizes follow the data
        }
        finding.Check(at, at + 4);
        const std::uint64_t start = at + 30 + Le16(*local, 26) + Le16(*local, 28);
        CheckData(file, entry, start, finding, budget);
        at = start + entry.Compressed;
    }
}

}  // namespace

bool LooksLikeZip(const FileView& file) {
    return HasAt(file.Head(), 0, LocalSignature) || FindDirectory(file, 1024 + 22).has_value();
}

Finding CheckZip(const FileView& file) {
    Finding finding = FindingFor("application/zip");
    std::uint64_t budget = InflateBudget;
    bool misplaced = false;
    const auto directory = FindDirectory(file, EndSearch, &misplaced);
    const bool localFirst = HasAt(file.Head(), 0, LocalSignature);
    if (!directory) {
        // An archive that starts with its first entry has its directory
        // right before the end record.
        if (localFirst && misplaced && file.WholeFileInHead()) {
            return finding.Break("end record describes no directory");
        }
        if (localFirst) {
            WalkLocalHeaders(file, finding, budget);
        }
    } else {
        finding.Check(directory->EndOffset, directory->EndOffset + 4);
        const auto bytes =
            file.At(directory->Offset, std::min(directory->Size, DirectoryReadLimit));
        std::size_t at = 0;
        while (bytes && at + 46 <= bytes->size() && !finding.Broken()) {
            const Bytes d = bytes->subspan(at);
            if (!HasAt(d, 0, CentralSignature)) {
                // Past the entries comes at most a digital signature or a ZIP64 end record.
                if (!HasAt(d, 0, "PK\x05\x05") && !HasAt(d, 0, "PK\x06\x06")) {
                    finding.Break("directory entry signature");
                }
                break;
            }
            const std::size_t nameLength = Le16(d, 28), extraLength = Le16(d, 30);
            const std::size_t length = 46 + nameLength + extraLength + Le16(d, 32);
            if (length > d.size()) {
                break;
            }
            finding.Check(directory->Offset + at, directory->Offset + at + 4);
            Entry entry{Le16(d, 8),
                        Le16(d, 10),
                        Le32(d, 16),
                        Le32(d, 20),
                        Le32(d, 24),
                        Le32(d, 42),
                        d.subspan(46, nameLength)};
            ReadLargeFields(entry, d.subspan(46 + nameLength, extraLength));
            if (entry.Offset < file.Head().size()) {
                CheckEntry(file, entry, finding, budget);
            }
            at += length;
        }
    }
    if (finding.State == Integrity::Unknown && !finding.Checked.empty()) {
        finding.State = Integrity::Intact;
    }
    return finding;
}

}  // namespace quarnix::structure
