// SPDX-License-Identifier: GPL-3.0-or-later
// dBase tables (dbf, shapefile attributes): a header whose field descriptors
// add up to the record length and end where the header length says, a record
// count that fills the file, and records that each start with a deletion flag
// and hold digits where a field says numbers or dates.

#include "format_checks.h"

namespace quarnix::structure {
namespace {

struct Field {
    std::uint8_t Type = 'C';
    std::size_t Offset = 0;  // within the record, after the flag
    std::size_t Length = 0;
};

bool KnownVersion(std::uint8_t v) {
    switch (v) {
        case 0x02:
        case 0x03:
        case 0x04:
        case 0x05:
        case 0x30:
        case 0x31:
        case 0x32:
        case 0x43:
        case 0x63:
        case 0x83:
        case 0x8b:
        case 0xcb:
        case 0xf5:
        case 0xfb:
            return true;
        default:
            return false;
    }
}

// Whether a byte can stand in a field of this type.
bool Fits(std::uint8_t type, std::uint8_t c) {
    const bool blank = c == ' ' || c == 0;
    switch (type) {
        case 'N':
        case 'F':
            return blank || (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' ||
                   c == 'e' || c == 'E' || c == '*';
        case 'D':
            return blank || (c >= '0' && c <= '9');
        case 'L':
            return blank || c == '?' || c == 'Y' || c == 'y' || c == 'N' || c == 'n' || c == 'T' ||
                   c == 't' || c == 'F' || c == 'f';
        default:
            return true;
    }
}

// The fields, when the header's descriptors are consistent; else none.
std::vector<Field> Fields(Bytes b, std::size_t headerLength, std::size_t recordLength) {
    std::vector<Field> fields;
    std::size_t offset = 0;
    std::size_t at = 32;
    for (; at + 32 <= headerLength && at < b.size() && b[at] != 0x0d; at += 32) {
        const Field field{b[at + 11], offset, b[at + 16]};
        if (field.Type < 'A' || field.Type > 'Z' || b[at] == 0) {
            return {};
        }
        offset += field.Length;
        fields.push_back(field);
    }
    if (at >= b.size() || b[at] != 0x0d || offset + 1 != recordLength) {
        return {};
    }
    return fields;
}

}  // namespace

bool HasDbaseHeader(const FileView& file) {
    const Bytes b = file.Head();
    if (b.size() < 33 || !KnownVersion(b[0]) || b[2] < 1 || b[2] > 12 || b[3] < 1 || b[3] > 31) {
        return false;
    }
    const std::size_t headerLength = Le16(b, 8), recordLength = Le16(b, 10);
    const std::uint64_t records = Le32(b, 4);
    const std::uint64_t body = file.Length() > headerLength ? file.Length() - headerLength : 0;
    // The records fill the file, with at most an end-of-file byte after them.
    return headerLength >= 33 && recordLength > 0 &&
           (records * recordLength == body || records * recordLength + 1 == body);
}

bool LooksLikeDbase(const FileView& file) {
    const Bytes b = file.Head();
    return b.size() >= 65 && HasDbaseHeader(file) && !Fields(b, Le16(b, 8), Le16(b, 10)).empty();
}

Finding CheckDbase(const FileView& file) {
    Finding finding = FindingFor("application/x-dbf");
    const Bytes b = file.Head();
    const std::size_t headerLength = Le16(b, 8), recordLength = Le16(b, 10);
    const std::vector<Field> fields = Fields(b, headerLength, recordLength);
    // The counts and lengths that must fill the file.
    finding.Check(4, 12);
    finding.Held += headerLength;
    for (std::uint64_t at = headerLength; at + recordLength <= b.size(); at += recordLength) {
        const std::uint8_t flag = b[at];
        if (flag == 0x1a && at + 1 == file.Length()) {
            break;
        }
        if (flag != ' ' && flag != '*') {
            return finding.Break("record deletion flag");
        }
        finding.Held += 1;
        for (const Field& field : fields) {
            const std::size_t start = at + 1 + field.Offset;
            for (std::size_t i = 0; i < field.Length; ++i) {
                if (!Fits(field.Type, b[start + i])) {
                    return finding.Break("a field's characters");
                }
            }
        }
    }
    finding.State = Integrity::Intact;
    return finding;
}

}  // namespace quarnix::structure
