// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/record_layout.h"

#include <xxhash.h>

#include <algorithm>
#include <cstring>

namespace quarnix {
namespace {

// Fixed start, all numbers little-endian:
//   0 magic  8 version  12 kind, level, direction, 0  16 run id
//  32 device  40 inode  48 new inode  56 file length  64 region length
//  72 mode  76 from length (2)  78 to length (2)  80 from, to, table, checksum
constexpr char Magic[8] = {'Q', 'R', 'N', 'X', 'R', 'E', 'C', '\0'};
constexpr std::uint32_t Version = 1;
constexpr std::uint64_t ChecksumSeed = 0x5175617264526563ull;
constexpr std::size_t PathLimit = 4096;

void Put(std::vector<std::uint8_t>& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

std::uint64_t Get(std::span<const std::uint8_t> in, std::size_t at, int bytes) {
    std::uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        value = (value << 8) | in[at + static_cast<std::size_t>(i)];
    }
    return value;
}

std::uint64_t RoundUp(std::uint64_t value, std::uint64_t unit) {
    return (value + unit - 1) / unit * unit;
}

std::uint64_t TableStart(const RecordHead& head) {
    return RecordFixedHead + head.FromPath.size() + head.ToPath.size();
}

// Whether the numbers of a head can belong to a record this program wrote.
bool Plausible(const RecordHead& head) {
    if (head.RegionLength > head.FileLength || head.RegionLength == 0) {
        return false;
    }
    if (head.Kind == RecordKind::Window) {
        return head.RegionLength <= CipherWindowLimit && head.Level != Level::TopSecret &&
               head.Inode == head.NewInode;
    }
    return head.RegionLength == head.FileLength && head.Level == Level::TopSecret &&
           (head.Kind == RecordKind::Replaced || head.Inode == head.NewInode);
}

}  // namespace

std::uint64_t UnitHash(const RecordHead& head, std::span<const std::uint8_t> bytes) {
    std::uint64_t seed = 0;
    std::memcpy(&seed, head.RunId.data(), sizeof seed);
    return XXH3_64bits_withSeed(bytes.data(), bytes.size(), seed);
}

std::uint64_t BodyOffset(const RecordHead& head) {
    return RoundUp(TableStart(head) + 16 * head.Units() + 8, RecordPageSize);
}

std::vector<std::uint8_t> EncodeRecord(const RecordHead& head,
                                       const std::vector<UnitHashes>& table) {
    std::vector<std::uint8_t> out(Magic, Magic + sizeof Magic);
    Put(out, Version, 4);
    out.push_back(static_cast<std::uint8_t>(head.Kind));
    out.push_back(static_cast<std::uint8_t>(head.Level));
    out.push_back(static_cast<std::uint8_t>(head.Way));
    out.push_back(0);
    out.insert(out.end(), head.RunId.begin(), head.RunId.end());
    for (const std::uint64_t number :
         {head.Device, head.Inode, head.NewInode, head.FileLength, head.RegionLength}) {
        Put(out, number, 8);
    }
    Put(out, head.Mode, 4);
    Put(out, head.FromPath.size(), 2);
    Put(out, head.ToPath.size(), 2);
    out.insert(out.end(), head.FromPath.begin(), head.FromPath.end());
    out.insert(out.end(), head.ToPath.begin(), head.ToPath.end());
    for (const UnitHashes& unit : table) {
        Put(out, unit.Before, 8);
        Put(out, unit.After, 8);
    }
    Put(out, XXH3_64bits_withSeed(out.data(), out.size(), ChecksumSeed), 8);
    out.resize(RoundUp(out.size(), RecordPageSize), 0);
    return out;
}

std::optional<std::uint64_t> RecordHeadLength(std::span<const std::uint8_t> fixedHead) {
    if (fixedHead.size() < RecordFixedHead ||
        std::memcmp(fixedHead.data(), Magic, sizeof Magic) != 0 ||
        Get(fixedHead, 8, 4) != Version) {
        return std::nullopt;
    }
    RecordHead head;
    head.Kind = static_cast<RecordKind>(fixedHead[12]);
    head.RegionLength = Get(fixedHead, 64, 8);
    const std::uint64_t pathBytes = Get(fixedHead, 76, 2) + Get(fixedHead, 78, 2);
    if (head.Kind != RecordKind::Window && head.Kind != RecordKind::WholeInPlace &&
        head.Kind != RecordKind::Replaced) {
        return std::nullopt;
    }
    // A table is never longer than a file system allows a file to be.
    if (head.RegionLength > (std::uint64_t{1} << 62)) {
        return std::nullopt;
    }
    return RecordFixedHead + pathBytes + 16 * head.Units() + 8;
}

std::optional<DecodedRecord> DecodeRecord(std::span<const std::uint8_t> bytes) {
    const auto length = RecordHeadLength(bytes);
    if (!length || bytes.size() < *length ||
        Get(bytes, *length - 8, 8) !=
            XXH3_64bits_withSeed(bytes.data(), *length - 8, ChecksumSeed) ||
        bytes[12] < 1 || bytes[12] > 3 || bytes[13] > 2 || bytes[14] > 1 || bytes[15] != 0) {
        return std::nullopt;
    }
    DecodedRecord record;
    RecordHead& head = record.Head;
    head.Kind = static_cast<RecordKind>(bytes[12]);
    head.Level = static_cast<Level>(bytes[13]);
    head.Way = static_cast<Direction>(bytes[14]);
    std::copy_n(bytes.begin() + 16, head.RunId.size(), head.RunId.begin());
    head.Device = Get(bytes, 32, 8);
    head.Inode = Get(bytes, 40, 8);
    head.NewInode = Get(bytes, 48, 8);
    head.FileLength = Get(bytes, 56, 8);
    head.RegionLength = Get(bytes, 64, 8);
    head.Mode = static_cast<std::uint32_t>(Get(bytes, 72, 4));
    const std::size_t from = Get(bytes, 76, 2);
    const std::size_t to = Get(bytes, 78, 2);
    if (from == 0 || from > PathLimit || to == 0 || to > PathLimit || !Plausible(head)) {
        return std::nullopt;
    }
    const auto text = [&bytes](std::size_t at, std::size_t size) {
        return std::string(reinterpret_cast<const char*>(bytes.data()) + at, size);
    };
    head.FromPath = text(RecordFixedHead, from);
    head.ToPath = text(RecordFixedHead + from, to);
    record.Table.resize(head.Units());
    for (std::size_t i = 0, at = TableStart(head); i < record.Table.size(); ++i, at += 16) {
        record.Table[i] = {Get(bytes, at, 8), Get(bytes, at + 8, 8)};
    }
    return record;
}

}  // namespace quarnix
