// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Long runs of written words: nearly every real file has one (a name, a
// comment, a header line, a message), and a wrong key stream breaks every run
// into pieces. So a decryption that brings one out took the right key stream
// off, whatever the file's type, and content that gains one by a decryption
// with given passwords was encrypted with them.

#include <cstdint>
#include <span>

namespace quarnix {

// Whether `result` holds a long run of written words and `current` holds none.
bool BroughtOutText(std::span<const std::uint8_t> result, std::span<const std::uint8_t> current);

}  // namespace quarnix
