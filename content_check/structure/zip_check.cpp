// SPDX-License-Identifier: GPL-3.0-or-later
// ZIP and everything built on it (docx, xlsx, pptx, odt, jar, epub, apk): the
// central directory at the end says where each entry's local header is, what
// it holds and the CRC-32 of its data. Entries whose local header lies in the
// head are checked against it, their data through inflate and CRC-32.

#include <zlib.h>

#include <algorithm>

#include "deflate_stream.h"
#include "format_checks.h"
#include "zip_directory.h"

namespace quarnix::structure {
namespace {

constexpr std::string_view LocalSignature = "PK\x03\x04";
constexpr std::string_view CentralSignature = "PK\x01\x02";
constexpr std::uint64_t EndSearch = 22 + 65535;
constexpr std::uint64_t DirectoryReadLimit = 256 * 1024;
// Entry data is read past the head up to here, to see an entry through.
constexpr std::uint64_t ReadPastHead = 64 * 1024;
// What all entries' data may inflate to, together.
constexpr std::uint64_t InflateBudget = 2 * 1024 * 1024;

// The compression methods the format defines.
bool KnownMethod(std::uint16_t method) {
    return method <= 20 || (method >= 93 && method <= 99);
}

// Checks an entry's data from `start` against its CRC-32 and sizes.
void CheckData(const FileView& file, const ZipEntry& entry, std::uint64_t start, Finding& finding,
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
void CheckEntry(const FileView& file, const ZipEntry& entry, Finding& finding,
                std::uint64_t& budget) {
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

// The deflate data of an entry whose CRC-32 and sizes follow it in a data
// descriptor (with or without its signature, sizes of 4 or 8 bytes); answers
// where the next header starts, nullopt when that cannot be told.
std::optional<std::uint64_t> CheckDescribedData(const FileView& file, const ZipEntry& entry,
                                                std::uint64_t start, Finding& finding,
                                                std::uint64_t& budget) {
    if ((entry.Flags & 1) != 0 || entry.Method != 8 || budget == 0) {
        return std::nullopt;
    }
    const auto data =
        file.UpTo(start, file.Head().size() + ReadPastHead - std::min(start, file.Head().size()));
    if (!data) {
        return std::nullopt;
    }
    DeflateStream stream(DeflateStream::Wrap::Raw);
    const auto state = stream.Feed(*data, budget);
    budget -= std::min(budget, stream.Produced());
    if (state == DeflateStream::State::Broken) {
        finding.Break("entry data not a deflate stream");
        return std::nullopt;
    }
    if (state != DeflateStream::State::Ended) {
        return std::nullopt;
    }
    const std::uint64_t end = start + stream.Consumed();
    const auto descriptor = file.UpTo(end, 24);
    if (!descriptor || descriptor->size() < 12) {
        return std::nullopt;
    }
    const std::size_t skip = HasAt(*descriptor, 0, "PK\x07\x08") ? 4 : 0;
    const Bytes d = descriptor->subspan(skip);
    const auto fits = [&](bool wide) {
        const std::size_t length = wide ? 20 : 12;
        if (d.size() < length || Le32(d, 0) != stream.Crc()) {
            return false;
        }
        const std::uint64_t compressed = wide ? Le64(d, 4) : Le32(d, 4);
        const std::uint64_t size = wide ? Le64(d, 12) : Le32(d, 8);
        return compressed == stream.Consumed() && size == stream.Produced();
    };
    if (fits(false)) {
        finding.Check(start, end + skip + 12);
        return end + skip + 12;
    }
    if (fits(true)) {
        finding.Check(start, end + skip + 20);
        return end + skip + 20;
    }
    finding.Break("data descriptor differs from the data");
    return std::nullopt;
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
        ZipEntry entry;
        entry.Flags = Le16(*local, 6);
        entry.Method = Le16(*local, 8);
        if (!KnownMethod(entry.Method)) {
            finding.Break("unknown compression method");
            return;
        }
        entry.Crc = Le32(*local, 14);
        entry.Compressed = Le32(*local, 18);
        entry.Size = Le32(*local, 22);
        finding.Check(at, at + 4);
        const std::uint64_t start = at + 30 + Le16(*local, 26) + Le16(*local, 28);
        if ((entry.Flags & 8) != 0) {
            // The sizes follow the data: a deflate stream ends by itself.
            const auto next = CheckDescribedData(file, entry, start, finding, budget);
            if (!next) {
                return;
            }
            at = *next;
            continue;
        }
        if (entry.Compressed == 0xffffffffu) {
            return;
        }
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
            ZipEntry entry{Le16(d, 8),
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
