// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Streamed work on the units of a run record's region (record_layout.h): the
// hashes of a file's units as they are, and the copy of a record's body over
// the file, chunk by chunk, so that memory stays bounded whatever the size.

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "engine/files/file_io.h"
#include "engine/files/file_ops.h"
#include "engine/files/record_layout.h"

namespace quarnix {

// Hashes, unit by unit, the bytes handed to it in order from offset 0 on.
class UnitHasher {
  public:
    UnitHasher(const RecordHead& head, std::vector<std::uint64_t>* hashes)
        : head_(head), hashes_(hashes) {
        hashes_->clear();
    }
    void Add(std::span<const std::uint8_t> bytes);
    // Hashes the last, partial unit.
    void Finish();

  private:
    const RecordHead& head_;
    std::vector<std::uint64_t>* hashes_;
    std::vector<std::uint8_t> partial_;
};

// The hash of each unit of `length` bytes read from `fd` at `offset` (a file
// from 0, or a record's body). Answers 0, -errno, or 1 when the file ended
// first. Reports each chunk read through `progress` (bytes done) when given.
int HashUnits(FileOps& files, int fd, std::uint64_t offset, std::uint64_t length,
              const RecordHead& head, std::vector<std::uint64_t>* hashes,
              const std::function<void(std::uint64_t done)>& progress = {});

// What each unit of the file holds against a record's table.
struct UnitStates {
    std::vector<bool> After;  // the unit holds its bytes after the work
    bool Foreign = false;     // some unit holds neither the bytes before nor those after
    bool AnyBefore = false;   // some unit holds its bytes before the work, not after
    bool AnyAfter = false;    // some unit holds its bytes after the work, not before
};
UnitStates CompareUnits(const std::vector<std::uint64_t>& hashes,
                        const std::vector<UnitHashes>& table, bool afterOnly);

// Copies the units of the record body at `from` (from `bodyOffset` on) for
// which `wanted` says so over the same place of `to`; the caller flushes `to`.
// Each unit read from the body must have the table's hash of the body's side
// (RecordHead::BodyIsAfter); one that does not stops the copy with -EBADMSG
// before it is written, as does a body cut short. Answers 0 or -errno;
// `written` tells whether anything was written. Reports the bytes of the
// region gone through to `progress` when given.
int CopyBodyUnits(FileOps& files, int from, std::uint64_t bodyOffset, int to,
                  const RecordHead& head, const std::vector<UnitHashes>& table,
                  const std::function<bool(std::size_t unit)>& wanted, bool* written,
                  const std::function<void(std::uint64_t done)>& progress = {});

}  // namespace quarnix
