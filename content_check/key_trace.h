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
//
// Content of its own periodic structure (records of a fixed length, rows of
// pixels, tables) has classes unlike the others too. A typo's class differs
// from them in three ways: it is the only one; it is unlike even the classes
// that share its place under every divisor of the period (a pixel's colour
// channel, a record's half); and it stands out far beyond what the same test
// finds at nearby periods, which are not the password's.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace quarnix {

// The strongest trace in `bytes` for a key array of `period` elements. Gains
// are in nats: how much likelier a class's bytes become under a reference
// distribution once XORed with a constant. All 0 when there are too few
// bytes to tell. The class of the array's final zero element is not looked
// at: no character is combined there.
struct KeyTrace {
    // The largest gain of a class against all other classes, its class and
    // its XOR value.
    double Strongest = 0;
    std::size_t Class = 0;
    std::uint8_t Xor = 0;
    // How far that class, XORed, still is from the others' distribution, as
    // a share of how far it was before (Kullback-Leibler divergences less
    // what the class's own sampling leaves, 0 to 1): a typo leaves little, a
    // field of fixed-length records much.
    double Remaining = 1;
    // The largest gain of any other class, the zero element's included.
    double Runner = 0;
    // The smallest gain of that class, at that XOR value, against the classes
    // that share its place under a divisor of the period (other than 1 and
    // the period); Strongest when the period is prime.
    double AmongKin = 0;
};
KeyTrace KeyTraceStrength(std::span<const std::uint8_t> bytes, std::size_t period);

// The largest gain of any class at the periods next to `period` (two below,
// two above, leaving out its divisors and multiples): what the content itself
// shows where no password left anything.
double NearbyTrace(std::span<const std::uint8_t> bytes, std::size_t period);

// Below this gain a class of positions is like the others.
inline constexpr double NoTraceBelow = 30;

// The trace when a typo's stands out clearly in `bytes` at `period`, by all
// the tests above; nullopt otherwise.
std::optional<KeyTrace> ClearKeyTrace(std::span<const std::uint8_t> bytes, std::size_t period);

// The same in smooth content (pictures, sounds), where a typo's XOR hides
// among the bytes but stands out in the XOR differences between neighbouring
// samples: there it moves the typo's class and the class a stride after it,
// by the same value. The trace's class and XOR are those of `bytes`; nullopt
// when the content is not smooth or no trace stands out clearly.
std::optional<KeyTrace> ClearDifferenceTrace(std::span<const std::uint8_t> bytes,
                                             std::size_t period);

// `bytes` with every class of positions of `period` XORed into line with the
// class of the array's zero element, which a password of that length leaves
// as it is: what a wrong password of that length made of the content, taken
// back (the right password's stream then comes off with it). Nullopt when
// there are too few bytes to tell, or when most classes are in line already,
// as in any content that no wrong password of that length went over.
std::optional<std::vector<std::uint8_t>> AlignedToZeroClass(std::span<const std::uint8_t> bytes,
                                                            std::size_t period);

}  // namespace quarnix
