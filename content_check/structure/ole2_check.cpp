// SPDX-License-Identifier: GPL-3.0-or-later
// OLE2 compound files (doc, xls, ppt, wps): a 512-byte header of fixed values
// and sector numbers, a sector allocation table (FAT) of chains, and a
// directory of 128-byte entries whose sectors the FAT chains together.

#include <set>

#include "format_checks.h"

namespace quarnix::structure {
namespace {

constexpr std::string_view Signature = "\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1";
constexpr std::uint32_t FreeSector = 0xffffffff;
constexpr std::uint32_t EndOfChain = 0xfffffffe;
constexpr std::uint32_t LastRegular = 0xfffffffa;
constexpr std::uint32_t NoStream = 0xffffffff;
constexpr std::size_t FatSectorsRead = 64;
constexpr std::size_t DirectorySectorsRead = 16;

class Ole2Check {
  public:
    explicit Ole2Check(const FileView& file) : file_(file) {}
    Finding Run();

  private:
    std::uint64_t SectorOffset(std::uint32_t sector) const {
        return (std::uint64_t{sector} + 1) * sector_size_;
    }
    // The FAT's entry for `sector`; nullopt when that FAT sector cannot be read.
    std::optional<std::uint32_t> Next(std::uint32_t sector);
    bool DirectoryEntry(Bytes e, std::uint64_t entries);

    const FileView& file_;
    Finding finding_ = FindingFor("application/x-ole-storage");
    std::uint64_t sector_size_ = 512;
    std::vector<std::uint32_t> fat_sectors_;
    std::uint64_t reach_ = 0;  // sector numbers the FAT can describe
};

std::optional<std::uint32_t> Ole2Check::Next(std::uint32_t sector) {
    const std::uint64_t perSector = sector_size_ / 4;
    const std::uint64_t index = sector / perSector;
    if (index >= fat_sectors_.size() || index >= FatSectorsRead) {
        return std::nullopt;
    }
    const auto entry = file_.At(SectorOffset(fat_sectors_[index]) + sector % perSector * 4, 4);
    if (!entry) {
        return std::nullopt;
    }
    return Le32(*entry, 0);
}

bool Ole2Check::DirectoryEntry(Bytes e, std::uint64_t entries) {
    const std::uint16_t nameLength = Le16(e, 64);
    const std::uint8_t type = e[66];
    if (type == 0) {
        return true;  // unused
    }
    if (type != 1 && type != 2 && type != 5) {
        return false;
    }
    // Some writers leave the name without its terminating zero.
    if (nameLength > 64 || nameLength % 2 != 0 || e[67] > 1) {
        return false;
    }
    for (const std::size_t link : {68u, 72u, 76u}) {
        const std::uint32_t id = Le32(e, link);
        if (id != NoStream && id >= entries) {
            return false;
        }
    }
    return true;
}

Finding Ole2Check::Run() {
    const auto header = file_.At(0, 512);
    if (!header) {
        return finding_;
    }
    const Bytes h = *header;
    const std::uint16_t major = Le16(h, 26);
    const std::uint16_t shift = Le16(h, 30);
    if (Le16(h, 28) != 0xfffe || !((major == 3 && shift == 9) || (major == 4 && shift == 12)) ||
        Le16(h, 32) != 6 || Le32(h, 56) != 4096 || Le16(h, 34) != 0 || Le32(h, 36) != 0) {
        return finding_.Break("header values");
    }
    sector_size_ = std::uint64_t{1} << shift;
    const std::uint32_t fatCount = Le32(h, 44);
    const std::uint32_t directoryStart = Le32(h, 48);
    const std::uint32_t difatCount = Le32(h, 72);
    const std::uint64_t sectors = (file_.Length() + sector_size_ - 1) / sector_size_ - 1;
    if (fatCount > sectors || (difatCount == 0 && fatCount > 109)) {
        return finding_.Break("FAT sector count");
    }
    finding_.Check(0, 8);
    finding_.Check(26, 40);
    finding_.Check(56, 60);
    // The header lists the first 109 FAT sectors; the rest of its list is free.
    for (std::uint32_t i = 0; i < 109; ++i) {
        const std::uint32_t sector = Le32(h, 76 + 4 * i);
        if (i < fatCount) {
            if (sector >= sectors) {
                return finding_.Break("FAT sector past the end");
            }
            fat_sectors_.push_back(sector);
        } else if (sector != FreeSector) {
            return finding_.Break("unused FAT list entry not free");
        } else {
            finding_.Check(76 + 4 * i, 80 + 4 * i);
        }
    }
    reach_ = std::uint64_t{fatCount} * (sector_size_ / 4);
    // The FAT marks its own sectors, and every entry is a sector or a mark.
    for (std::size_t i = 0; i < fat_sectors_.size() && i < FatSectorsRead; ++i) {
        const std::uint64_t at = SectorOffset(fat_sectors_[i]);
        const auto sector = file_.At(at, sector_size_);
        if (!sector) {
            continue;
        }
        for (std::size_t k = 0; k < sector_size_ / 4; ++k) {
            const std::uint32_t next = Le32(*sector, 4 * k);
            if (next <= LastRegular && next >= reach_) {
                return finding_.Break("FAT entry past the table");
            }
        }
    }
    // The directory's chain, its entries, and the root entry first.
    std::set<std::uint32_t> seen;
    std::uint32_t sector = directoryStart;
    const std::uint32_t entriesPerSector = static_cast<std::uint32_t>(sector_size_ / 128);
    for (std::size_t n = 0; sector != EndOfChain && n < DirectorySectorsRead; ++n) {
        if (sector > LastRegular || sector >= sectors || !seen.insert(sector).second) {
            return finding_.Break("directory chain");
        }
        const std::uint64_t at = SectorOffset(sector);
        const auto bytes = file_.At(at, sector_size_);
        if (!bytes) {
            break;
        }
        const std::uint64_t entries = entriesPerSector * sectors;
        for (std::uint32_t k = 0; k < entriesPerSector; ++k) {
            const Bytes e = bytes->subspan(k * 128, 128);
            if (n == 0 && k == 0 && e[66] != 5) {
                return finding_.Break("first directory entry not the root");
            }
            if (!DirectoryEntry(e, entries)) {
                return finding_.Break("directory entry");
            }
        }
        const auto next = Next(sector);
        if (!next) {
            break;
        }
        sector = *next;
    }
    finding_.State = Integrity::Intact;
    return finding_;
}

}  // namespace

bool LooksLikeOle2(const FileView& file) {
    return HasAt(file.Head(), 0, Signature);
}

Finding CheckOle2(const FileView& file) {
    return Ole2Check(file).Run();
}

}  // namespace quarnix::structure
