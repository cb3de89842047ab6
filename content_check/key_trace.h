// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The trace a mistyped password character leaves in a decryption's result.
//
// Each key array is repeated with a period of its password's length plus one,
// from the window's first byte on. One wrong character of a password changes,
// in every period, the one byte it is combined with, always by the same XOR
// value (the right character XOR the wrong one), and nothing else. In a right
// result the bytes of each class of positions (position mod period) are drawn
// like all the others; after such a typo one class is the others' bytes XOR a
// constant. The test asks, for each class, how much likelier its bytes become
// under the others' distribution once XORed with the best constant.

#include <cstddef>
#include <cstdint>
#include <span>

namespace quarnix {

// The strongest trace in `bytes` for a key array of `period` elements: the
// largest gain, in nats, that XORing one class of positions with a
// constant brings to that class's likelihood under the distribution of the
// other classes. About 0 where there is no trace; 0 when there are too few
// bytes to tell. The class of the array's final zero element is not looked
// at: no character is combined there.
struct KeyTrace {
    double Strongest = 0;
    // How far the strongest class, XORed with its constant, still is from the
    // others' distribution, as a share of how far it was before (the
    // Kullback-Leibler divergences, 0 to 1): a typo leaves little, a field of
    // fixed-length records that merely holds other values much.
    double Remaining = 1;
};
KeyTrace KeyTraceStrength(std::span<const std::uint8_t> bytes, std::size_t period);

// Below this gain a class of positions is like the others.
inline constexpr double NoTraceBelow = 30;

// Whether a trace stands out clearly and the XOR makes its class like the
// others: content with a structure of its own that repeats with the period
// (records of a fixed length, tables) has classes that an XOR brings nearer
// the others, but not to them.
bool ShowsKeyTrace(std::span<const std::uint8_t> bytes, std::size_t period);

}  // namespace quarnix
