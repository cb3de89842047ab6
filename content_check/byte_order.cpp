// SPDX-License-Identifier: GPL-3.0-or-later
#include "byte_order.h"

#include <array>
#include <cmath>

namespace quarnix {
namespace {

// Bits per byte the result must gain in order.
constexpr double ClearGain = 0.5;

}  // namespace

double ByteEntropy(std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) {
        return 0;
    }
    std::array<std::uint32_t, 256> counts{};
    for (const std::uint8_t byte : bytes) {
        ++counts[byte];
    }
    const auto total = static_cast<double>(bytes.size());
    double entropy = 0;
    for (const std::uint32_t count : counts) {
        if (count != 0) {
            const double p = count / total;
            entropy -= p * std::log2(p);
        }
    }
    return entropy;
}

bool MoreOrderly(std::span<const std::uint8_t> result, std::span<const std::uint8_t> current) {
    return ByteEntropy(result) + ClearGain < ByteEntropy(current);
}

}  // namespace quarnix
