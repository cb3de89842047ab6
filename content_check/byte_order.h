// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How orderly bytes are: the entropy of their values, in bits per byte.
//
// A key stream XORed onto ordered content spreads its byte values; taking the
// right key stream off gathers them again. So a decryption whose result is
// clearly more orderly than the file took a key stream off: the passwords are
// right even where the name's type has content rules that the file does not
// meet (a bytecode of a version the type database does not know, say). A
// wrong password swaps one key stream for another and leaves the order as it
// was.

#include <cstdint>
#include <span>

namespace quarnix {

double ByteEntropy(std::span<const std::uint8_t> bytes);

// Whether `result` is clearly more orderly than `current`.
bool MoreOrderly(std::span<const std::uint8_t> result, std::span<const std::uint8_t> current);

// Whether `result` holds a long run of plain ASCII text (a name, a comment, a
// header line) and `current` holds none. Nearly every real file has such a
// run; a wrong key stream breaks every run into pieces, so a decryption that
// brings one out took the right key stream off, whatever the file's type.
bool BroughtOutText(std::span<const std::uint8_t> result, std::span<const std::uint8_t> current);

}  // namespace quarnix
