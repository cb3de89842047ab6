// SPDX-License-Identifier: GPL-3.0-or-later
// The first bytes of a transformed file, worked out from a few reads of the
// input, against the whole transform.

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
    std::size_t prefixLength;
};

TEST(ResultPreview, EqualsTheStartOfTheWholeTransform) {
    // Password 1 "abc": Shift1 294. Password 2 "hello" rotates files of more
    // than 55329 bytes by 55328, "!" those of more than 1090 bytes by 1089.
    const PrefixCase cases[] = {
        {"Secret, one byte", Level::Secret, u"", 1, 1},
        {"Secret, window longer than the prefix", Level::Secret, u"", 30000, 4096},
        {"Secret, prefix beyond the window", Level::Secret, u"", 30000, 25000},
        {"Secretter, reversed window", Level::Secretter, u"", 200, 200},
        {"Secretter, rotated window", Level::Secretter, u"", 30000, 20481},
        {"TopSecret, not rotated", Level::TopSecret, u"hello", 5000, 4096},
        {"TopSecret, rotation wraps inside the prefix", Level::TopSecret, u"hello", 57000, 4096},
        {"TopSecret, short shift", Level::TopSecret, u"!", 100000, 4096},
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
            Bytes prefix(c.prefixLength);
            ASSERT_EQ(TransformedPrefix(way, *keys, c.fileLength, prefix, read), 0);
            EXPECT_EQ(prefix, Bytes(whole.begin(), whole.begin() + c.prefixLength));
            // Only a reversed window is read beyond the prefix.
            EXPECT_LE(bytesRead,
                      std::max<std::size_t>(c.prefixLength, c.level == Level::Secretter ? 200 : 0));
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
    EXPECT_EQ(TransformedPrefix(Direction::Decrypt, *keys, 100000, prefix, read), -5);
}

}  // namespace
}  // namespace quarnix
