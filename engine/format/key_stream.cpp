// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/format/key_stream.h"

#include <algorithm>
#include <cassert>
#include <functional>
#include <numeric>

namespace quarnix {
namespace {

// Most bytes combined per step: the tiles hold one period plus one step, so any
// step starts at an offset inside the first period and never runs off the end.
constexpr std::size_t StepSize = 64 * 1024;
// Arrays are fused into one tile while their common period stays this small.
constexpr std::size_t MaxFusedPeriod = 64 * 1024;

// Source and target may be the same buffer (combining in place); the compiler
// checks for overlap at run time and takes the vector loop when it can.
void Xor1(const std::uint8_t* source, std::uint8_t* target, const std::uint8_t* a, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        target[i] = source[i] ^ a[i];
    }
}

void Xor2(const std::uint8_t* source, std::uint8_t* target, const std::uint8_t* a,
          const std::uint8_t* b, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        target[i] = source[i] ^ a[i] ^ b[i];
    }
}

void Xor3(const std::uint8_t* source, std::uint8_t* target, const std::uint8_t* a,
          const std::uint8_t* b, const std::uint8_t* c, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        target[i] = source[i] ^ a[i] ^ b[i] ^ c[i];
    }
}

}  // namespace

KeyStream::KeyStream(const std::vector<const KeyArray*>& arrays, std::uint64_t longestRun) {
    assert(!arrays.empty() && arrays.size() <= 3);
    // Group the arrays greedily into tiles of a small common period.
    std::vector<std::vector<const KeyArray*>> groups;
    std::vector<std::size_t> periods;
    for (const KeyArray* array : arrays) {
        assert(array != nullptr && !array->empty());
        const std::size_t period = array->size();
        if (!groups.empty() && std::lcm(periods.back(), period) <= MaxFusedPeriod) {
            periods.back() = std::lcm(periods.back(), period);
            groups.back().push_back(array);
        } else {
            groups.push_back({array});
            periods.push_back(period);
        }
    }
    step_ = static_cast<std::size_t>(std::clamp<std::uint64_t>(longestRun, 1, StepSize));
    for (std::size_t g = 0; g < groups.size(); ++g) {
        Tile tile;
        tile.period = periods[g];
        tile.bytes.assign(tile.period + step_, 0);
        for (const KeyArray* array : groups[g]) {
            // XOR the array in, cycled: whole copies first, then the remainder.
            for (std::size_t k = 0; k < tile.bytes.size(); k += array->size()) {
                const std::size_t n = std::min(array->size(), tile.bytes.size() - k);
                std::transform(array->begin(), array->begin() + static_cast<std::ptrdiff_t>(n),
                               tile.bytes.begin() + static_cast<std::ptrdiff_t>(k),
                               tile.bytes.begin() + static_cast<std::ptrdiff_t>(k),
                               std::bit_xor<std::uint8_t>());
            }
        }
        tiles_.push_back(std::move(tile));
    }
}

void KeyStream::Apply(std::uint8_t* data, std::size_t size, std::uint64_t position) const {
    ApplyTo(data, data, size, position);
}

void KeyStream::ApplyTo(const std::uint8_t* source, std::uint8_t* target, std::size_t size,
                        std::uint64_t position) const {
    for (std::size_t done = 0; done < size;) {
        const std::size_t n = std::min(step_, size - done);
        const std::uint8_t* t[3] = {};
        for (std::size_t k = 0; k < tiles_.size(); ++k) {
            t[k] = tiles_[k].bytes.data() + (position + done + 1) % tiles_[k].period;
        }
        switch (tiles_.size()) {
            case 1:
                Xor1(source + done, target + done, t[0], n);
                break;
            case 2:
                Xor2(source + done, target + done, t[0], t[1], n);
                break;
            default:
                Xor3(source + done, target + done, t[0], t[1], t[2], n);
                break;
        }
        done += n;
    }
}

}  // namespace quarnix
