// SPDX-License-Identifier: GPL-3.0-or-later
// Key arrays, sums and first codes of texts, and the texts that are refused.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/format/cipher_keys.h"
#include "engine/format/key_material.h"

namespace quarnix {
namespace {

struct KeyCase {
    const char* name;
    std::u16string text;
    KeyArray bytes;
    std::int32_t sum;
    std::uint8_t first;
};

TEST(KeyBytes, GivesOneByteACharacterThenAZeroElement) {
    const std::vector<KeyCase> cases = {
        {"one character", u"a", {0x61, 0x00}, 0x61, 0x61},
        // "#qTe%358!MRW": 12 characters, 13 elements, element 12 zero.
        {"key constant",
         std::u16string(KeyConstant),
         {0x23, 0x71, 0x54, 0x65, 0x25, 0x33, 0x35, 0x38, 0x21, 0x4D, 0x52, 0x57, 0x00},
         35 + 113 + 84 + 101 + 37 + 51 + 53 + 56 + 33 + 77 + 82 + 87,
         0x23},
        {"lower case", u"abc", {0x61, 0x62, 0x63, 0x00}, 97 + 98 + 99, 0x61},
        {"upper case", u"ABC", {0x41, 0x42, 0x43, 0x00}, 65 + 66 + 67, 0x41},
        {"trailing spaces kept", u"pw  ", {0x70, 0x77, 0x20, 0x20, 0x00}, 112 + 119 + 64, 0x70},
        {"leading space kept", u" pw", {0x20, 0x70, 0x77, 0x00}, 32 + 112 + 119, 0x20},
        // The euro sign is the one code unit above ASCII with a single-byte code;
        // its code is 128, not -128.
        {"euro sign", u"\u20AC1", {0x80, 0x31, 0x00}, 128 + 49, 0x80},
        {"first and last ASCII", std::u16string{u'\0', u'\x7F'}, {0x00, 0x7F, 0x00}, 127, 0x00},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        KeyError error;
        const auto key = KeyBytes(c.text, &error);
        ASSERT_TRUE(key.has_value());
        EXPECT_EQ(*key, c.bytes);
        EXPECT_EQ(CodeSum(*key), c.sum);
        EXPECT_EQ(FirstCode(*key), c.first);
    }
}

TEST(KeyBytes, LetterCaseGivesDifferentArraysAndSums) {
    const auto lower = *KeyBytes(u"secret");
    const auto mixed = *KeyBytes(u"Secret");
    EXPECT_NE(lower, mixed);
    EXPECT_EQ(CodeSum(lower) - CodeSum(mixed), 'a' - 'A');
}

TEST(CharacterCode, OnlyAsciiAndTheEuroSignHaveASingleByteCode) {
    int accepted = 0;
    for (std::uint32_t unit = 0; unit <= 0xFFFF; ++unit) {
        const auto code = CharacterCode(static_cast<char16_t>(unit));
        if (unit <= 0x7F) {
            ASSERT_EQ(code, std::optional<std::uint8_t>(static_cast<std::uint8_t>(unit))) << unit;
        } else if (unit == 0x20AC) {
            ASSERT_EQ(code, std::optional<std::uint8_t>(0x80));
        } else {
            ASSERT_FALSE(code.has_value()) << "U+" << std::hex << unit;
        }
        accepted += code.has_value() ? 1 : 0;
    }
    EXPECT_EQ(accepted, 129);
}

struct RefusalCase {
    const char* name;
    std::u16string text;
    KeyError::Kind kind;
    std::size_t position;
    char16_t character;
};

TEST(KeyBytes, RefusesTextsThatCannotBecomeKeyBytes) {
    const std::u16string longest(MaxKeyTextLength, u'a');
    const std::vector<RefusalCase> cases = {
        {"Chinese character", u"ab\u4E2Dc", KeyError::Kind::UnmappableCharacter, 2, u'\u4E2D'},
        // e acute would once have become "?" and collided with other passwords.
        {"e acute", u"caf\u00E9", KeyError::Kind::UnmappableCharacter, 3, u'\u00E9'},
        {"question mark look-alike", u"\u00E9", KeyError::Kind::UnmappableCharacter, 0, u'\u00E9'},
        {"U+0080 is not the euro sign", u"x\u0080", KeyError::Kind::UnmappableCharacter, 1,
         u'\u0080'},
        {"next to the euro sign", u"\u20AB", KeyError::Kind::UnmappableCharacter, 0, u'\u20AB'},
        {"lone surrogate", u"a\xD83D", KeyError::Kind::UnmappableCharacter, 1, u'\xD83D'},
        {"first refused character is reported", u"\u00FC\u4E2D",
         KeyError::Kind::UnmappableCharacter, 0, u'\u00FC'},
        {"one unit too long", longest + u"b", KeyError::Kind::TooLong, MaxKeyTextLength, u'b'},
        // The length is taken before any character is looked at.
        {"too long and unmappable", u"\u4E2D" + longest, KeyError::Kind::TooLong, MaxKeyTextLength,
         u'a'},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        KeyError error;
        EXPECT_FALSE(KeyBytes(c.text, &error).has_value());
        EXPECT_EQ(error.kind, c.kind);
        EXPECT_EQ(error.position, c.position);
        EXPECT_EQ(error.character, c.character);
        EXPECT_FALSE(KeyBytes(c.text).has_value()) << "also without an error record";
    }
}

TEST(KeyBytes, AcceptsTheLongestText) {
    // 32767 euro signs: the largest sum a text can reach, without overflow.
    const auto key = KeyBytes(std::u16string(MaxKeyTextLength, u'\u20AC'));
    ASSERT_TRUE(key.has_value());
    EXPECT_EQ(key->size(), MaxKeyTextLength + 1);
    EXPECT_EQ(key->back(), 0);
    EXPECT_EQ(CodeSum(*key), 32767 * 128);
    EXPECT_EQ(FirstCode(*key), 0x80);
}

TEST(MakeCipherKeys, BuildsTheArraysOfTheLevel) {
    for (Level level : {Level::Secret, Level::Secretter, Level::TopSecret}) {
        SCOPED_TRACE(static_cast<int>(level));
        const auto keys = MakeCipherKeys(level, u"one", u"two!");
        ASSERT_TRUE(keys.has_value());
        EXPECT_EQ(keys->Level, level);
        EXPECT_EQ(keys->Constant, *KeyBytes(KeyConstant));
        EXPECT_EQ(keys->Password1, (KeyArray{'o', 'n', 'e', 0}));
        if (level == Level::TopSecret) {
            EXPECT_EQ(keys->Password2, (KeyArray{'t', 'w', 'o', '!', 0}));
        } else {
            EXPECT_TRUE(keys->Password2.empty());
        }
    }
}

struct PasswordRefusal {
    const char* name;
    Level level;
    std::u16string password1;
    std::u16string password2;
    int failing;  // 0: accepted
    KeyError::Kind kind;
    std::size_t position;
    char16_t character;
};

TEST(MakeCipherKeys, ReportsWhichPasswordIsRefused) {
    using K = KeyError::Kind;
    const std::u16string chinese = u"\u5BC6";
    const std::vector<PasswordRefusal> cases = {
        {"password 1 at Secret", Level::Secret, u"a" + chinese, u"ok", 1, K::UnmappableCharacter, 1,
         u'\u5BC6'},
        {"password 1 at Secretter", Level::Secretter, chinese, u"ok", 1, K::UnmappableCharacter, 0,
         u'\u5BC6'},
        {"password 1 at TopSecret", Level::TopSecret, u"\u00E9", u"ok", 1, K::UnmappableCharacter,
         0, u'\u00E9'},
        {"password 1 before password 2", Level::TopSecret, chinese, chinese, 1,
         K::UnmappableCharacter, 0, u'\u5BC6'},
        {"password 2 at TopSecret", Level::TopSecret, u"ok", u"ab" + chinese, 2,
         K::UnmappableCharacter, 2, u'\u5BC6'},
        {"password 2 ignored at Secret", Level::Secret, u"ok", chinese, 0, K::UnmappableCharacter,
         0, 0},
        {"password 2 ignored at Secretter", Level::Secretter, u"ok", chinese, 0,
         K::UnmappableCharacter, 0, 0},
        {"long password 2 ignored at Secret", Level::Secret, u"ok",
         std::u16string(MaxKeyTextLength + 1, u'x'), 0, K::TooLong, 0, 0},
        {"long password 2 at TopSecret", Level::TopSecret, u"ok",
         std::u16string(MaxKeyTextLength + 1, u'x'), 2, K::TooLong, MaxKeyTextLength, u'x'},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CipherKeyFailure failure;
        const auto keys = MakeCipherKeys(c.level, c.password1, c.password2, &failure);
        if (c.failing == 0) {
            EXPECT_TRUE(keys.has_value());
            continue;
        }
        ASSERT_FALSE(keys.has_value());
        EXPECT_EQ(failure.Password, c.failing);
        EXPECT_EQ(failure.Error.kind, c.kind);
        EXPECT_EQ(failure.Error.position, c.position);
        EXPECT_EQ(failure.Error.character, c.character);
    }
}

}  // namespace
}  // namespace quarnix
