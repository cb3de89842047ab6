// SPDX-License-Identifier: GPL-3.0-or-later
#include "xor_correlation.h"

namespace quarnix {
namespace {

// In place; applied twice it multiplies by 256.
void WalshHadamard(ByteTable& t) {
    for (std::size_t half = 1; half < t.size(); half *= 2) {
        for (std::size_t start = 0; start < t.size(); start += 2 * half) {
            for (std::size_t i = start; i < start + half; ++i) {
                const double x = t[i];
                const double y = t[i + half];
                t[i] = x + y;
                t[i + half] = x - y;
            }
        }
    }
}

}  // namespace

ByteTable XorCorrelation(const ByteTable& a, const ByteTable& b) {
    ByteTable ta = a;
    ByteTable tb = b;
    WalshHadamard(ta);
    WalshHadamard(tb);
    for (std::size_t k = 0; k < ta.size(); ++k) {
        ta[k] *= tb[k] / static_cast<double>(ta.size());
    }
    WalshHadamard(ta);
    return ta;
}

}  // namespace quarnix
