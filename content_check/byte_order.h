// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How orderly bytes are: the entropy of their values, in bits per byte.
//
// A key stream XORed onto ordered content spreads its byte values; taking the
// right key stream off gathers them again. A decryption whose result is
// clearly more orderly than the file took a key stream off, though not
// always the right one: the key constant's stream comes off under any
// password, and a wrong password of the right length leaves a stream of the
// password's period, which shows as classes of positions unlike the others
// (see key_trace.h).

#include <cstdint>
#include <span>

namespace quarnix {

double ByteEntropy(std::span<const std::uint8_t> bytes);

// Whether `result` is clearly more orderly than `current`.
bool MoreOrderly(std::span<const std::uint8_t> result, std::span<const std::uint8_t> current);

}  // namespace quarnix
