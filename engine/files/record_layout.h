// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The layout of a run record: what a command leaves beside a file while it
// changes it, so that the next run can finish or undo work that a kill or a
// power cut interrupted (docs/run-records.md).
//
// A record begins with a head: a magic, a version, a random run id, the
// identity of the file it is for (device, inode, length, mode), the level and
// direction of the work, and the file's path before and after the marker
// rename. A table follows with two hashes for each page of the region the work
// changes: its bytes before the work and after it. A checksum covers head and
// table. The body, from the next multiple of the page size on, holds the
// region's encrypted side only: the bytes after an encryption, before a
// decryption. So the record never holds plaintext, and the table tells, page
// by page, whether the file on disk is still the one the record was made for.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/format/cipher.h"
#include "engine/format/level.h"

namespace quarnix {

// The unit a power cut tears a write into.
inline constexpr std::uint64_t RecordPageSize = 4096;
// The unit a replaced file is hashed in: it is never torn, and a large unit
// keeps the table small.
inline constexpr std::uint64_t ReplacedUnitSize = 1 << 20;

enum class RecordKind : std::uint8_t {
    Window = 1,        // the cipher window rewritten in place; body: its encrypted side
    WholeInPlace = 2,  // the whole file rewritten in place; body: its encrypted side
    Replaced = 3,      // the whole file replaced by a new file; no body, only the rename left
};

struct RecordHead {
    RecordKind Kind = RecordKind::Window;
    quarnix::Level Level = quarnix::Level::Secret;
    Direction Way = Direction::Encrypt;
    std::array<std::uint8_t, 16> RunId{};
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;     // the file as found
    std::uint64_t NewInode = 0;  // Replaced: the new file; else Inode
    std::uint64_t FileLength = 0;
    std::uint64_t RegionLength = 0;  // bytes from offset 0 that the work changes
    std::uint32_t Mode = 0;          // permission and set-id bits of the file as found
    std::string FromPath;            // UTF-8, as the request names the file
    std::string ToPath;              // after the marker rename; FromPath when none

    std::uint64_t UnitSize() const {
        return Kind == RecordKind::Replaced ? ReplacedUnitSize : RecordPageSize;
    }
    std::uint64_t Units() const { return (RegionLength + UnitSize() - 1) / UnitSize(); }
    // Whether the body holds the bytes after the work (an encryption) rather
    // than before it (a decryption).
    bool BodyIsAfter() const { return Way == Direction::Encrypt; }
};

struct UnitHashes {
    std::uint64_t Before = 0;
    std::uint64_t After = 0;
};

// The hash of one unit of a record's region, seeded with its run id.
std::uint64_t UnitHash(const RecordHead& head, std::span<const std::uint8_t> bytes);

// Head, table and checksum, padded to a whole number of pages: the body starts
// right after them.
std::vector<std::uint8_t> EncodeRecord(const RecordHead& head,
                                       const std::vector<UnitHashes>& table);

// Where the body of a record with this head starts.
std::uint64_t BodyOffset(const RecordHead& head);

// The length of the fixed start of every head, enough to learn the rest's length.
inline constexpr std::size_t RecordFixedHead = 80;

// How many leading bytes hold head, table and checksum, from the fixed start
// of a head; nullopt when it is no record's start.
std::optional<std::uint64_t> RecordHeadLength(std::span<const std::uint8_t> fixedHead);

struct DecodedRecord {
    RecordHead Head;
    std::vector<UnitHashes> Table;
};

// Reads head and table from a record's first RecordHeadLength bytes; nullopt
// when anything is out of place or the checksum differs.
std::optional<DecodedRecord> DecodeRecord(std::span<const std::uint8_t> bytes);

}  // namespace quarnix
