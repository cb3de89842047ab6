// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How often each byte value stands at each class of positions (position mod
// a key period), and how much likelier a class's bytes become under a
// reference distribution once XORed with a constant: the counting under the
// search for a typo's trace (key_trace.h).

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "xor_correlation.h"

namespace quarnix {

// Added to every count of a reference, so that a byte value it does not hold
// is unlikely rather than impossible.
inline constexpr double Smoothing = 0.5;

struct ClassCounts {
    std::vector<ByteTable> Classes;
    ByteTable All{};
};

ClassCounts CountClasses(std::span<const std::uint8_t> bytes, std::size_t period);

double Total(const ByteTable& counts);

// `all` less `own`.
ByteTable Without(const ByteTable& all, const ByteTable& own);

// A class's best XOR value (1 to 0x7f, the XOR of two ASCII characters)
// against a reference, in log-likelihood (nats) without the reference's
// normaliser, which is the same for every value.
struct ClassGain {
    double Gain = 0;  // Best - AsIs, 0 when no value beats the class as it is
    std::uint8_t Xor = 0;
    double AsIs = 0;
    double Best = 0;
};
ClassGain BestXor(const ByteTable& own, const ByteTable& reference);

// The gain of `own` XORed with `value` against a reference.
double GainAt(const ByteTable& own, const ByteTable& reference, std::uint8_t value);

}  // namespace quarnix
