// SPDX-License-Identifier: GPL-3.0-or-later
#include "byte_order.h"

#include <array>
#include <cmath>

namespace quarnix {
namespace {

// Bits per byte the result must gain in order; a wrong password leaves the
// entropy within a few hundredths of a bit of the file's.
constexpr double ClearGain = 0.5;

// A run of this many characters of written words does not come about by
// chance, nor under a wrong key stream: XORing letters with the small values
// that two ASCII passwords give turns many of them into brackets, control
// characters and other bytes that words do not hold, and spaces into others.
constexpr std::size_t LongTextRun = 40;
constexpr std::size_t FewestSpaces = 4;

bool WordCharacter(std::uint8_t byte) {
    return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
           (byte >= '0' && byte <= '9') || byte == ' ' || byte == '.' || byte == ',' ||
           byte == ':' || byte == '/' || byte == '(' || byte == ')' || byte == '-' || byte == '_' ||
           byte == '@' || byte == '\'';
}

bool HasLongTextRun(std::span<const std::uint8_t> bytes) {
    std::size_t run = 0;
    std::size_t spaces = 0;
    for (const std::uint8_t byte : bytes) {
        if (!WordCharacter(byte)) {
            run = spaces = 0;
            continue;
        }
        ++run;
        spaces += byte == ' ' ? 1 : 0;
        if (run >= LongTextRun && spaces >= FewestSpaces) {
            return true;
        }
    }
    return false;
}
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

bool BroughtOutText(std::span<const std::uint8_t> result, std::span<const std::uint8_t> current) {
    return HasLongTextRun(result) && !HasLongTextRun(current);
}

bool MoreOrderly(std::span<const std::uint8_t> result, std::span<const std::uint8_t> current) {
    return ByteEntropy(result) + ClearGain < ByteEntropy(current);
}

}  // namespace quarnix
