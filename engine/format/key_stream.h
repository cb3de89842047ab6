// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The XOR passes of a level, fused into one stream.
//
// Every pass combines window position j with element (j + 1) mod (L + 1) of its
// key array. XOR passes commute, so the two or three passes of a level are one
// stream: the XOR of the arrays, each cycled with its own period. The stream is
// kept as a few pre-tiled buffers (arrays whose periods have a small common
// multiple share one), so that combining a chunk is a straight, vectorisable
// run over at most three buffers, at any position of a file of any size.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/format/key_material.h"

namespace quarnix {

class KeyStream {
  public:
    // The arrays of the XOR passes, in pass order (one to three of them).
    // `longestRun` bounds the bytes combined by one call, so that a short
    // window does not pay for building long tiles.
    explicit KeyStream(const std::vector<const KeyArray*>& arrays,
                       std::uint64_t longestRun = UINT64_MAX);

    // data[i] ^= stream at window position (position + i).
    void Apply(std::uint8_t* data, std::size_t size, std::uint64_t position) const;

    // target[i] = source[i] ^ stream at window position (position + i).
    void ApplyTo(const std::uint8_t* source, std::uint8_t* target, std::size_t size,
                 std::uint64_t position) const;

  private:
    struct Tile {
        std::size_t period = 1;
        KeyBytesBuffer bytes;  // one period plus up to one step of the cycled stream
    };
    std::size_t step_ = 1;  // bytes combined per step, at most the tiles' spare length
    std::vector<Tile> tiles_;
};

}  // namespace quarnix
