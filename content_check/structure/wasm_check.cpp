// SPDX-License-Identifier: GPL-3.0-or-later
// WebAssembly modules: a magic and a version, then sections, each an id and
// a length (LEB128), the known ones in their fixed order, the last ending at
// the file's end. The code section holds its function bodies, each with its
// own length, which add up to the section's.

#include "format_checks.h"

namespace quarnix::structure {
namespace {

constexpr std::uint64_t SectionReads = 512;  // sections whose start is read, at most
constexpr std::uint8_t CustomSection = 0, CodeSection = 10, LastKnownSection = 13;

// Where each known section stands in the order of a module: type, import,
// function, table, memory, tag, global, export, start, element, data count,
// code, data.
int Rank(std::uint8_t id) {
    constexpr int Ranks[] = {0, 1, 2, 3, 4, 5, 7, 8, 9, 10, 12, 13, 11, 6};
    return Ranks[id];
}

struct Leb {
    std::uint32_t Value = 0;
    std::size_t Length = 0;  // bytes; 0 when invalid or cut off
    bool Invalid = false;
};

// An unsigned LEB128 number of at most 32 bits.
Leb ReadLeb(Bytes b, std::size_t at) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < 5; ++i) {
        if (at + i >= b.size()) {
            return {};
        }
        const std::uint8_t byte = b[at + i];
        value |= std::uint64_t{byte & 0x7fu} << (7 * i);
        if ((byte & 0x80) == 0) {
            if (value > UINT32_MAX) {
                return {0, 0, true};
            }
            return {static_cast<std::uint32_t>(value), i + 1, false};
        }
    }
    return {0, 0, true};
}

// The function bodies of a code section whose content starts at `at` of the
// head and ends at `end`: each length leads to the next, the last to the end.
void CheckBodies(Bytes head, std::uint64_t at, std::uint64_t end, Finding& finding) {
    const Leb count = ReadLeb(head, at);
    if (count.Invalid) {
        finding.Break("code section's count");
        return;
    }
    std::uint64_t body = at + count.Length;
    for (std::uint32_t i = 0; count.Length > 0 && i < count.Value; ++i) {
        const Leb size = ReadLeb(head, body);
        if (size.Invalid || (size.Length > 0 && body + size.Length + size.Value > end)) {
            finding.Break("function body's length");
            return;
        }
        if (size.Length == 0) {
            return;  // past the head
        }
        finding.Check(body, body + size.Length);
        body += size.Length + size.Value;
    }
    if (count.Length > 0 && body != end && body <= head.size()) {
        finding.Break("function bodies of the section's length");
    }
}

}  // namespace

bool LooksLikeWasm(const FileView& file) {
    return HasAt(file.Head(), 0, std::string_view("\0asm\1\0\0\0", 8));
}

Finding CheckWasm(const FileView& file) {
    Finding finding = FindingFor("application/wasm");
    finding.Check(0, 8);
    std::uint64_t at = 8;
    int rank = 0;
    std::vector<ByteRange> headers;  // checked once they lead to the file's end
    for (std::uint64_t n = 0; at < file.Length() && n < SectionReads; ++n) {
        const auto start = file.UpTo(at, 6);
        if (!start) {
            break;
        }
        const std::uint8_t id = (*start)[0];
        const Leb length = ReadLeb(*start, 1);
        if (id > LastKnownSection || length.Invalid) {
            return finding.Break("section id or length");
        }
        if (length.Length == 0 || at + 1 + length.Length + length.Value > file.Length()) {
            return finding.Break("section past the file's end");
        }
        if (id != CustomSection) {
            if (Rank(id) <= rank) {
                return finding.Break("order of the sections");
            }
            rank = Rank(id);
        }
        const std::uint64_t content = at + 1 + length.Length;
        if (id == CodeSection && content < file.Head().size()) {
            CheckBodies(file.Head(), content, content + length.Value, finding);
            if (finding.Broken()) {
                return finding;
            }
        }
        headers.push_back({at, content});
        at = content + length.Value;
    }
    if (at == file.Length()) {
        for (const ByteRange& header : headers) {
            finding.Check(header.Begin, header.End);
        }
    }
    finding.State = Integrity::Intact;
    return finding;
}

}  // namespace quarnix::structure
