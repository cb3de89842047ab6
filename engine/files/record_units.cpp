// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/record_units.h"

#include <algorithm>
#include <cerrno>

namespace quarnix {

void UnitHasher::Add(std::span<const std::uint8_t> bytes) {
    const std::size_t unit = head_.UnitSize();
    while (!bytes.empty()) {
        if (partial_.empty() && bytes.size() >= unit) {
            hashes_->push_back(UnitHash(head_, bytes.first(unit)));
            bytes = bytes.subspan(unit);
            continue;
        }
        const std::size_t take = std::min(unit - partial_.size(), bytes.size());
        partial_.insert(partial_.end(), bytes.begin(), bytes.begin() + static_cast<long>(take));
        bytes = bytes.subspan(take);
        if (partial_.size() == unit) {
            hashes_->push_back(UnitHash(head_, partial_));
            partial_.clear();
        }
    }
}

void UnitHasher::Finish() {
    if (!partial_.empty()) {
        hashes_->push_back(UnitHash(head_, partial_));
        partial_.clear();
    }
}

int HashUnits(FileOps& files, int fd, std::uint64_t offset, std::uint64_t length,
              const RecordHead& head, std::vector<std::uint64_t>* hashes,
              const std::function<void(std::uint64_t done)>& progress) {
    UnitHasher hasher(head, hashes);
    std::vector<std::uint8_t> buffer(std::min<std::uint64_t>(length, WorkChunkSize));
    for (std::uint64_t done = 0; done < length;) {
        const auto chunk =
            static_cast<std::size_t>(std::min<std::uint64_t>(length - done, WorkChunkSize));
        if (const int read = ReadFully(files, fd, buffer.data(), chunk,
                                       static_cast<std::int64_t>(offset + done));
            read != 0) {
            return read;
        }
        hasher.Add(std::span(buffer).first(chunk));
        done += chunk;
        if (progress) {
            progress(done);
        }
    }
    hasher.Finish();
    return 0;
}

UnitStates CompareUnits(const std::vector<std::uint64_t>& hashes,
                        const std::vector<UnitHashes>& table, bool afterOnly) {
    UnitStates states;
    states.After.resize(table.size());
    states.Foreign = hashes.size() != table.size();
    for (std::size_t i = 0; i < table.size() && i < hashes.size(); ++i) {
        const bool after = hashes[i] == table[i].After;
        const bool before = !afterOnly && hashes[i] == table[i].Before;
        states.After[i] = after;
        states.Foreign = states.Foreign || (!after && !before);
        states.AnyBefore = states.AnyBefore || (before && !after);
        states.AnyAfter = states.AnyAfter || (after && !before);
    }
    return states;
}

int CopyBodyUnits(FileOps& files, int from, std::uint64_t bodyOffset, int to,
                  const RecordHead& head, const std::vector<UnitHashes>& table,
                  const std::function<bool(std::size_t unit)>& wanted, bool* written,
                  const std::function<void(std::uint64_t done)>& progress) {
    *written = false;
    const std::uint64_t unit = head.UnitSize();
    const std::uint64_t perChunk = std::max<std::uint64_t>(1, WorkChunkSize / unit);
    std::vector<std::uint8_t> buffer(std::min<std::uint64_t>(head.RegionLength, perChunk * unit));
    WriteBehind behind(files, to, false);
    for (std::size_t first = 0; first < table.size(); first += perChunk) {
        const std::size_t last = std::min<std::size_t>(table.size(), first + perChunk);
        const std::uint64_t start = first * unit;
        const std::uint64_t length = std::min(head.RegionLength, last * unit) - start;
        bool any = false;
        for (std::size_t i = first; i < last; ++i) {
            any = any || wanted(i);
        }
        if (!any) {
            continue;
        }
        if (const int read = ReadFully(files, from, buffer.data(), length,
                                       static_cast<std::int64_t>(bodyOffset + start));
            read != 0) {
            return read < 0 ? read : -EBADMSG;  // a record cut short
        }
        for (std::size_t i = first; i < last; ++i) {
            const std::uint64_t at = (i - first) * unit;
            const std::span<const std::uint8_t> bytes(buffer.data() + at,
                                                      std::min(unit, length - at));
            const std::uint64_t expected = head.BodyIsAfter() ? table[i].After : table[i].Before;
            if (wanted(i) && UnitHash(head, bytes) != expected) {
                return -EBADMSG;
            }
        }
        // Each run of wanted units goes in one write.
        for (std::size_t i = first; i < last;) {
            if (!wanted(i)) {
                ++i;
                continue;
            }
            std::size_t end = i + 1;
            while (end < last && wanted(end)) {
                ++end;
            }
            const std::uint64_t at = (i - first) * unit;
            const std::uint64_t size = std::min((end - first) * unit, length) - at;
            if (const int wrote = WriteFully(files, to, buffer.data() + at, size,
                                             static_cast<std::int64_t>(start + at));
                wrote < 0) {
                return wrote;
            }
            *written = true;
            i = end;
        }
        behind.Written(static_cast<std::int64_t>(start), static_cast<std::int64_t>(length));
        if (progress) {
            progress(start + length);
        }
    }
    return 0;
}

}  // namespace quarnix
