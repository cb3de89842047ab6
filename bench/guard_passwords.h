// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Passwords for quarnix-guard-corpus: made from a seed, of a given length,
// of the characters people type (letters, digits, a few signs), and the
// typos a person makes in them: a key next to the right one.

#include <cstdint>
#include <string>

namespace quarnix::bench {

// A password of `length` characters, the same for the same seed.
std::u16string MakePassword(std::uint32_t seed, int length);

// `password` with the character at `index` replaced by a key next to it on
// the keyboard (a letter keeps its case).
std::u16string Mistyped(std::u16string password, std::size_t index);

}  // namespace quarnix::bench
