// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The XOR correlation of two tables over the 256 byte values,
//   out[d] = sum over v of a[v] * b[v XOR d]   for every d at once,
// through the Walsh-Hadamard transform (a few thousand additions, where the
// sum for each d on its own takes 65536 multiplications).

#include <array>

namespace quarnix {

using ByteTable = std::array<double, 256>;

ByteTable XorCorrelation(const ByteTable& a, const ByteTable& b);

}  // namespace quarnix
