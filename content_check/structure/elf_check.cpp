// SPDX-License-Identifier: GPL-3.0-or-later
// ELF programs and libraries: an identification and header of fixed values,
// program headers whose loadable segments keep file offsets and addresses
// congruent, section headers (usually at the end) that place every section
// inside the file, and the dynamic symbols, whose names' GNU hashes the hash
// section repeats.

#include "format_checks.h"

namespace quarnix::structure {
namespace {

constexpr std::uint32_t SectionsRead = 256;

struct Layout {
    bool Wide = true;    // 64-bit
    bool Little = true;  // byte order
};

class ElfCheck {
  public:
    explicit ElfCheck(const FileView& file) : file_(file) {}
    Finding Run();

  private:
    std::uint64_t U16(Bytes b, std::size_t at) const {
        return l_.Little ? Le16(b, at) : Be16(b, at);
    }
    std::uint64_t U32(Bytes b, std::size_t at) const {
        return l_.Little ? Le32(b, at) : Be32(b, at);
    }
    std::uint64_t Word(Bytes b, std::size_t at) const {
        return l_.Wide ? (l_.Little ? Le64(b, at) : Be64(b, at)) : U32(b, at);
    }
    bool Header(Bytes h);
    bool ProgramHeaders(Bytes h);
    bool Sections(Bytes h);
    bool Symbols(Bytes symbols, Bytes strings, Bytes hash);

    const FileView& file_;
    Layout l_;
    Finding finding_ = FindingFor("application/x-executable");
};

bool ElfCheck::Header(Bytes h) {
    if ((h[4] != 1 && h[4] != 2) || (h[5] != 1 && h[5] != 2) || h[6] != 1) {
        return false;
    }
    l_ = Layout{h[4] == 2, h[5] == 1};
    for (std::size_t i = 9; i < 16; ++i) {
        if (h[i] != 0) {
            return false;
        }
    }
    const std::uint64_t type = U16(h, 16);
    const std::size_t e = l_.Wide ? 64 : 52;
    if ((type == 0 || type > 4) && type < 0xfe00) {
        return false;
    }
    if (U32(h, 20) != 1 || U16(h, e - 12) != e) {
        return false;
    }
    const std::uint64_t phentsize = U16(h, e - 10), phnum = U16(h, e - 8);
    const std::uint64_t shentsize = U16(h, e - 6), shnum = U16(h, e - 4);
    if ((phnum > 0 && phentsize != (l_.Wide ? 56 : 32)) ||
        (shnum > 0 && shentsize != (l_.Wide ? 64 : 40)) ||
        (shnum > 0 && U16(h, e - 2) >= shnum && U16(h, e - 2) != 0xffff)) {
        return false;
    }
    // Values with one right value each: identification, padding, version,
    // and the sizes of the header and its tables.
    finding_.Check(0, 7);
    finding_.Check(9, 16);
    finding_.Check(20, 24);
    finding_.Check(e - 12, e - 10);
    if (phnum > 0) {
        finding_.Check(e - 10, e - 8);
    }
    if (shnum > 0) {
        finding_.Check(e - 6, e - 4);
    }
    return true;
}

bool ElfCheck::ProgramHeaders(Bytes h) {
    const std::size_t e = l_.Wide ? 64 : 52;
    const std::uint64_t offset = Word(h, l_.Wide ? 32 : 28), count = U16(h, e - 8);
    const std::uint64_t size = l_.Wide ? 56 : 32;
    if (count == 0) {
        return true;
    }
    if (offset > file_.Length() || count * size > file_.Length() - offset) {
        return false;
    }
    const auto table = file_.At(offset, count * size);
    if (!table) {
        return true;
    }
    for (std::uint64_t i = 0; i < count; ++i) {
        const Bytes p = table->subspan(i * size, size);
        const std::uint64_t type = U32(p, 0);
        const std::uint64_t fileOffset = Word(p, l_.Wide ? 8 : 4);
        const std::uint64_t address = Word(p, l_.Wide ? 16 : 8);
        const std::uint64_t fileSize = Word(p, l_.Wide ? 32 : 16);
        const std::uint64_t memorySize = Word(p, l_.Wide ? 40 : 20);
        const std::uint64_t align = Word(p, l_.Wide ? 48 : 28);
        if (type == 1) {  // PT_LOAD
            if (fileSize > memorySize || (align > 1 && (align & (align - 1)) != 0) ||
                (align > 1 && fileOffset % align != address % align) ||
                fileOffset > file_.Length()) {
                return false;
            }
        }
    }
    return true;
}

bool ElfCheck::Symbols(Bytes symbols, Bytes strings, Bytes hash) {
    const std::size_t size = l_.Wide ? 24 : 16;
    const std::size_t count = symbols.size() / size;
    for (std::size_t i = 0; i < count; ++i) {
        if (U32(symbols, i * size) >= strings.size()) {
            return false;
        }
    }
    // GNU hash: buckets, then one chain word per symbol from `first` on,
    // holding the name's hash with its low bit marking a chain's end.
    if (hash.size() < 16) {
        return true;
    }
    const std::uint64_t buckets = U32(hash, 0), first = U32(hash, 4), bloom = U32(hash, 8);
    const std::uint64_t chains = 16 + bloom * (l_.Wide ? 8 : 4) + buckets * 4;
    for (std::uint64_t i = first; i < count && chains + (i - first + 1) * 4 <= hash.size(); ++i) {
        std::uint32_t h = 5381;
        for (std::size_t at = U32(symbols, i * size); at < strings.size() && strings[at] != 0;
             ++at) {
            h = h * 33 + strings[at];
        }
        if ((U32(hash, chains + (i - first) * 4) | 1) != (h | 1)) {
            return false;
        }
    }
    return true;
}

bool ElfCheck::Sections(Bytes h) {
    const std::size_t e = l_.Wide ? 64 : 52;
    const std::uint64_t offset = Word(h, l_.Wide ? 40 : 32), count = U16(h, e - 4);
    const std::uint64_t size = l_.Wide ? 64 : 40;
    if (count == 0 || count > SectionsRead) {
        return true;
    }
    if (offset > file_.Length() || count * size > file_.Length() - offset) {
        return false;
    }
    const auto table = file_.At(offset, count * size);
    if (!table) {
        return true;
    }
    const auto section = [&](std::uint64_t i) { return table->subspan(i * size, size); };
    const auto contents = [&](Bytes s) -> std::optional<Bytes> {
        const std::uint64_t type = U32(s, 4);
        const std::uint64_t at = Word(s, l_.Wide ? 24 : 16), length = Word(s, l_.Wide ? 32 : 20);
        if (type == 8 || length > 1024 * 1024) {  // SHT_NOBITS
            return std::nullopt;
        }
        return file_.At(at, length);
    };
    std::optional<Bytes> symbols, strings, hash;
    for (std::uint64_t i = 0; i < count; ++i) {
        const Bytes s = section(i);
        const std::uint64_t type = U32(s, 4);
        const std::uint64_t at = Word(s, l_.Wide ? 24 : 16), length = Word(s, l_.Wide ? 32 : 20);
        if (type != 8 && type != 0 && (at > file_.Length() || length > file_.Length() - at)) {
            return false;
        }
        if (type == 11) {  // SHT_DYNSYM and its string table
            const std::uint64_t link = U32(s, l_.Wide ? 40 : 24);
            symbols = contents(s);
            if (link < count) {
                strings = contents(section(link));
            }
        } else if (type == 0x6ffffff6) {  // SHT_GNU_HASH
            hash = contents(s);
        }
    }
    if (symbols && strings && !Symbols(*symbols, *strings, hash.value_or(Bytes()))) {
        return false;
    }
    return true;
}

Finding ElfCheck::Run() {
    const auto header = file_.At(0, 64);
    if (!header) {
        return finding_;
    }
    if (!Header(*header)) {
        return finding_.Break("header values");
    }
    if (!ProgramHeaders(*header)) {
        return finding_.Break("program headers");
    }
    if (!Sections(*header)) {
        return finding_.Break("sections");
    }
    finding_.State = Integrity::Intact;
    return finding_;
}

}  // namespace

bool LooksLikeElf(const FileView& file) {
    return HasAt(file.Head(), 0,
                 "\x7f"
                 "ELF") &&
           file.Length() >= 64;
}

Finding CheckElf(const FileView& file) {
    return ElfCheck(file).Run();
}

}  // namespace quarnix::structure
