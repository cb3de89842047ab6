// SPDX-License-Identifier: GPL-3.0-or-later
#include "text_run.h"

namespace quarnix {
namespace {

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

bool BroughtOutText(std::span<const std::uint8_t> result, std::span<const std::uint8_t> current) {
    return HasLongTextRun(result) && !HasLongTextRun(current);
}

}  // namespace quarnix
