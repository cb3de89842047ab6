// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes of a transformed file, worked out from a few reads of the input,
// against the whole transform.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/format/cipher.h"
#include "engine/format/result_preview.h"

namespace quarnix {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Input(std::size_t size) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>((i * 131 + i / 251) % 256);
    }
    return bytes;
}

struct PrefixCase {
    const char* name;
    Level level;
    std::u16string password2;
    std::size_t fileLength;
    std::size_t offset;
    std::size_t length;
};

TEST(ResultPreview, EqualsTheSameBytesOfTheWholeTransform) {
    // Password 1 "abc": Shift1 294. Password 2 "hello" rotates files of more
    // than 55329 bytes by 55328, "!" those of more than 1090 bytes by 1089.
    const PrefixCase cases[] = {
        {"Secret, one byte", Level::Secret, u"", 1, 0, 1},
        {"Secret, window longer than the prefix", Level::Secret, u"", 30000, 0, 4096},
        {"Secret, prefix beyond the window", Level::Secret, u"", 30000, 0, 25000},
        {"Secret, across the window's end", Level::Secret, u"", 30000, 20000, 1000},
        {"Secret, past the window", Level::Secret, u"", 30000, 25000, 5000},
        {"Secretter, reversed window", Level::Secretter, u"", 200, 0, 200},
        {"Secretter, reversed, in the middle", Level::Secretter, u"", 200, 50, 20},
        {"Secretter, rotated window", Level::Secretter, u"", 30000, 0, 20481},
        {"Secretter, across the rotation's seam", Level::Secretter, u"", 30000, 20000, 400},
        {"TopSecret, not rotated", Level::TopSecret, u"hello", 5000, 0, 4096},
        {"TopSecret, rotation wraps inside the prefix", Level::TopSecret, u"hello", 57000, 0, 4096},
        {"TopSecret, across the seam", Level::TopSecret, u"hello", 57000, 1500, 200},
        {"TopSecret, short shift", Level::TopSecret, u"!", 100000, 0, 4096},
        {"TopSecret, the file's end", Level::TopSecret, u"!", 100000, 98000, 2000},
        {"TopSecret, nothing", Level::TopSecret, u"!", 100000, 700, 0},
    };
    for (const PrefixCase& c : cases) {
        for (const Direction way : {Direction::Encrypt, Direction::Decrypt}) {
            SCOPED_TRACE(std::string(c.name) +
                         (way == Direction::Encrypt ? ", encrypt" : ", decrypt"));
            const auto keys = MakeCipherKeys(c.level, u"abc", c.password2);
            ASSERT_TRUE(keys.has_value());
            const Bytes input = Input(c.fileLength);
            Bytes whole = input;
            TransformImage(way, input, *keys, whole);

            std::size_t bytesRead = 0;
            const InputReader read = [&](std::uint64_t offset, std::span<std::uint8_t> bytes) {
                EXPECT_LE(offset + bytes.size(), input.size());
                std::copy_n(input.begin() + static_cast<std::ptrdiff_t>(offset), bytes.size(),
                            bytes.begin());
                bytesRead += bytes.size();
                return 0;
            };
            Bytes range(c.length);
            ASSERT_EQ(TransformedRange(way, *keys, c.fileLength, c.offset, range, read), 0);
            const auto from = whole.begin() + static_cast<std::ptrdiff_t>(c.offset);
            EXPECT_EQ(range, Bytes(from, from + static_cast<std::ptrdiff_t>(c.length)));
            // Only a reversed window is read beyond the range.
            EXPECT_LE(bytesRead,
                      std::max<std::size_t>(c.length, c.level == Level::Secretter ? 200 : 0));
        }
    }
}

TEST(ResultPreview, PassesOnAFailedRead) {
    const auto keys = MakeCipherKeys(Level::TopSecret, u"abc", u"!");
    ASSERT_TRUE(keys.has_value());
    Bytes prefix(4096);
    int reads = 0;
    // The rotation makes two reads; the second one fails.
    const InputReader read = [&](std::uint64_t, std::span<std::uint8_t>) {
        return ++reads == 2 ? -5 : 0;
    };
    EXPECT_EQ(TransformedRange(Direction::Decrypt, *keys, 100000, 0, prefix, read), -5);
}

}  // namespace
}  // namespace quarnix
