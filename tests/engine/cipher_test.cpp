// SPDX-License-Identifier: GPL-3.0-or-later
// The passes of each level in both directions, against values worked out by
// hand and against the plain model in cipher_model.h.

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "cipher_model.h"
#include "engine/format/cipher.h"

namespace quarnix {
namespace {

using model::Bytes;
using model::Passwords;
using model::SameBytes;

constexpr Level AllLevels[] = {Level::Secret, Level::Secretter, Level::TopSecret};

CipherKeys KeysFor(Level level, const Passwords& pw) {
    auto keys = MakeCipherKeys(level, pw.First, pw.Second);
    EXPECT_TRUE(keys.has_value());
    return keys.value_or(CipherKeys{});
}

// The image with its leading bytes replaced by a transformed window, as the
// commands write it back.
Bytes WrittenBack(Bytes image, const Bytes& window) {
    std::copy(window.begin(), window.end(), image.begin());
    return image;
}

// A text of printable ASCII of the given length; its first code unit can be set
// to steer FirstCode.
std::u16string LongText(std::size_t length, char16_t first = u'K') {
    std::u16string text(length, u' ');
    for (std::size_t i = 0; i < length; ++i) {
        text[i] = static_cast<char16_t>(0x20 + (i * 37 + 11) % 95);
    }
    text[0] = first;
    return text;
}

struct HandCase {
    const char* name;
    Level level;
    Passwords pw;
    Bytes plain;
    Bytes encrypted;
};

// K = "#qTe%358!MRW" + 0: elements 1.. are 71 54 65 25 33 35 38 21 4D 52 57 00, then 23.
TEST(Cipher, MatchesValuesWorkedOutByHand) {
    const std::vector<HandCase> cases = {
        // P1 "A" = {41, 00}: position j takes K[j+1] ^ P1[(j+1) % 2], i.e. 41 at odd j.
        // j = 11 meets K's zero element, j = 12 wraps to K[0] = 23.
        {"Secret, 14 zero bytes",
         Level::Secret,
         {u"A", u""},
         Bytes(14, 0),
         {0x71, 0x15, 0x65, 0x64, 0x33, 0x74, 0x38, 0x60, 0x4D, 0x13, 0x57, 0x41, 0x23, 0x30}},
        // Shift1 = 65 >= n = 2: 71 15 65 is reversed.
        {"Secretter, reversed", Level::Secretter, {u"A", u""}, Bytes(3, 0), {0x65, 0x15, 0x71}},
        // Shift1 = 1 < n = 3. P1 = {01, 00}: XOR gives 71 55 65 24, rotated left by 1.
        {"Secretter, rotated",
         Level::Secretter,
         {u"\x01", u""},
         Bytes(4, 0),
         {0x55, 0x65, 0x24, 0x71}},
        // One byte: AA ^ K[1] 71 ^ P1[1] 79 = A2; reversing one byte changes nothing.
        {"Secretter, one byte", Level::Secretter, {u"xy", u""}, {0xAA}, {0xA2}},
        // P2 "B" = {42, 00} adds 42 at odd j; 42 x 42 >= F - 1 = 2: no rotation.
        {"TopSecret, not rotated", Level::TopSecret, {u"A", u"B"}, Bytes(3, 0), {0x71, 0x57, 0x65}},
        // P2 = {01, 00}: product 1 < F - 1 = 3. XOR gives 71 14 65 65, rotated left by 1.
        {"TopSecret, rotated",
         Level::TopSecret,
         {u"A", u"\x01"},
         Bytes(4, 0),
         {0x14, 0x65, 0x65, 0x71}},
        // P1 = {80, 00}: 5A ^ 71 ^ P1[1] 00 = 2B at j = 0, 5A ^ 54 ^ P1[0] 80 = 8E at j = 1.
        {"Secret, euro sign", Level::Secret, {u"\u20AC", u""}, {0x5A, 0x5A}, {0x2B, 0x8E}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CipherKeys keys = KeysFor(c.level, c.pw);
        EXPECT_TRUE(SameBytes(c.encrypted, EncryptImage(c.plain, keys)));
        EXPECT_TRUE(SameBytes(c.plain, DecryptImage(c.encrypted, keys)));
        // The model used by the wider tests agrees with the hand values.
        EXPECT_TRUE(SameBytes(c.encrypted, model::Transform(true, c.level, c.plain, c.pw)));
        EXPECT_TRUE(SameBytes(c.plain, model::Transform(false, c.level, c.encrypted, c.pw)));
    }
}

struct PasswordSet {
    const char* name;
    Passwords pw;
};

// Key arrays of 13, 2 and 3 elements fuse into one stream period; 6001 and
// 32768 elements do not, so the stream is then made of several tiles.
const std::vector<PasswordSet>& PasswordSets() {
    static const std::vector<PasswordSet> sets = {
        {"Short", {u"a", u"Zz"}},
        {"TwelveAndEuro", {u"Quarnix-2024", u"\u20ACuro sign"}},
        // FirstCode 1 keeps Shift2 (about 2.6 million) below the large size.
        {"Thousands", {LongText(6000), LongText(32767, u'\x01')}},
        {"Longest", {LongText(32767), u"x"}},
    };
    return sets;
}

constexpr std::size_t Sizes[] = {1, 2, 12, 13, 14, 20480, 20481, 20482, 3 * 1024 * 1024 + 5};

class CipherModel : public ::testing::TestWithParam<std::tuple<Level, std::size_t>> {};

TEST_P(CipherModel, EncryptsAndDecryptsLikeTheModelAtEverySize) {
    const auto [level, setIndex] = GetParam();
    const Passwords& pw = PasswordSets()[setIndex].pw;
    const CipherKeys keys = KeysFor(level, pw);
    for (std::size_t size : Sizes) {
        SCOPED_TRACE(size);
        const Bytes plain = model::RandomImage(size, static_cast<unsigned>(size));
        const std::size_t w = level == Level::TopSecret ? size : std::min<std::size_t>(size, 20481);

        const Bytes encrypted = EncryptImage(plain, keys);
        ASSERT_EQ(encrypted.size(), w);
        EXPECT_TRUE(SameBytes(model::Transform(true, level, plain, pw), encrypted));

        // Decrypting any image, not only an encrypted one, follows the model too.
        EXPECT_TRUE(
            SameBytes(model::Transform(false, level, plain, pw), DecryptImage(plain, keys)));

        const Bytes stored = WrittenBack(plain, encrypted);
        EXPECT_TRUE(SameBytes(plain, WrittenBack(stored, DecryptImage(stored, keys))));
    }
}

std::string CipherModelName(const ::testing::TestParamInfo<CipherModel::ParamType>& info) {
    const char* levels[] = {"Secret", "Secretter", "TopSecret"};
    return std::string(levels[static_cast<int>(std::get<0>(info.param))]) + "_" +
           PasswordSets()[std::get<1>(info.param)].name;
}

INSTANTIATE_TEST_SUITE_P(LevelsAndPasswords, CipherModel,
                         ::testing::Combine(::testing::ValuesIn(AllLevels),
                                            ::testing::Range<std::size_t>(0, 4)),
                         CipherModelName);

struct MoveCase {
    const char* name;
    Level level;
    Passwords pw;
    std::size_t size;
    bool reversed;
    std::size_t rotation;  // left, on encryption; 0 with reversed
};

// Whether a level rotates or reverses, and by how much, at the strict
// comparisons: Shift1 against n, FirstCode x CodeSum of password 2 against F - 1.
TEST(Cipher, RotatesOrReversesAtTheStrictComparisons) {
    const std::u16string sum20480(256, u'P');  // 256 x 80
    const std::u16string sum20479 = std::u16string(255, u'P') + u"O";
    const std::vector<MoveCase> cases = {
        {"Shift1 97 > n 96", Level::Secretter, {u"a", u""}, 97, true, 0},
        {"Shift1 97 = n", Level::Secretter, {u"a", u""}, 98, true, 0},
        {"Shift1 97 = n - 1", Level::Secretter, {u"a", u""}, 99, false, 97},
        {"Shift1 0", Level::Secretter, {std::u16string(1, u'\0'), u""}, 5, false, 0},
        {"one byte, Shift1 0", Level::Secretter, {std::u16string(1, u'\0'), u""}, 1, true, 0},
        {"Shift1 20480 = n of a long file", Level::Secretter, {sum20480, u""}, 20482, true, 0},
        {"Shift1 20479 = n - 1", Level::Secretter, {sum20479, u""}, 20482, false, 20479},
        {"Shift1 20479, long file", Level::Secretter, {sum20479, u""}, 100000, false, 20479},
        // P2 "\x02\x03": FirstCode 2 x CodeSum 5 = 10.
        {"product 10 > F - 1", Level::TopSecret, {u"pw", u"\x02\x03"}, 10, false, 0},
        {"product 10 = F - 1", Level::TopSecret, {u"pw", u"\x02\x03"}, 11, false, 0},
        {"product 10 = F - 2", Level::TopSecret, {u"pw", u"\x02\x03"}, 12, false, 10},
        // P2 "ab": 97 x 195 = 18915.
        {"product 18915 = F - 1", Level::TopSecret, {u"pw", u"ab"}, 18916, false, 0},
        {"product 18915 = F - 2", Level::TopSecret, {u"pw", u"ab"}, 18917, false, 18915},
        {"product 18915, long file", Level::TopSecret, {u"pw", u"ab"}, 300000, false, 18915},
        {"FirstCode 0", Level::TopSecret, {u"pw", std::u16string{u'\0', u'z'}}, 300000, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CipherKeys keys = KeysFor(c.level, c.pw);
        const Bytes plain = model::RandomImage(c.size, 7);
        const std::size_t w =
            c.level == Level::TopSecret ? c.size : std::min<std::size_t>(c.size, 20481);
        Bytes mixed(plain.begin(), plain.begin() + static_cast<std::ptrdiff_t>(w));
        mixed = model::XorPass(model::XorPass(mixed, model::KeyArrayOf(u"#qTe%358!MRW")),
                               model::KeyArrayOf(c.pw.First));
        if (c.level == Level::TopSecret) {
            mixed = model::XorPass(mixed, model::KeyArrayOf(c.pw.Second));
        }
        const Bytes expected =
            c.reversed ? model::ReverseBytes(mixed) : model::RotateLeft(mixed, c.rotation);
        const Bytes stored = WrittenBack(plain, EncryptImage(plain, keys));
        EXPECT_TRUE(SameBytes(expected, Bytes(stored.begin(), stored.begin() + expected.size())));
        EXPECT_TRUE(SameBytes(plain, WrittenBack(stored, DecryptImage(stored, keys))));
    }
}

TEST(Cipher, WindowOfSecretAndSecretterIsTheFirst20481Bytes) {
    for (Level level : AllLevels) {
        for (std::size_t size : {20481u, 20482u, 1000000u}) {
            SCOPED_TRACE(testing::Message() << static_cast<int>(level) << " " << size);
            const CipherKeys keys = KeysFor(level, {u"window", u"x"});
            const std::size_t w = level == Level::TopSecret ? size : 20481;
            EXPECT_EQ(CipherWindow(level, size), w);

            // A caller's buffer as long as the file keeps every byte past the window.
            const Bytes plain = model::RandomImage(size, 3);
            Bytes buffer(size, 0xEE);
            TransformImage(Direction::Encrypt, plain, keys, buffer);
            EXPECT_TRUE(
                SameBytes(Bytes(size - w, 0xEE),
                          Bytes(buffer.begin() + static_cast<std::ptrdiff_t>(w), buffer.end())));
            buffer.resize(w);
            EXPECT_TRUE(SameBytes(EncryptImage(plain, keys), buffer));
        }
    }
    EXPECT_EQ(CipherWindow(Level::Secret, 0), 0u);
    EXPECT_EQ(CipherWindow(Level::TopSecret, 0), 0u);
}

TEST(Cipher, ZeroElementsOfBothArraysLeaveBytesUnchangedAtSecret) {
    // K and a 12-character password both have period 13 and meet their zero
    // elements at j mod 13 = 11.
    const Bytes plain = model::RandomImage(200, 11);
    const Bytes encrypted = EncryptImage(plain, KeysFor(Level::Secret, {u"twelve chars", u""}));
    for (std::size_t j = 0; j < plain.size(); ++j) {
        if (j % 13 == 11) {
            EXPECT_EQ(encrypted[j], plain[j]) << j;
        } else {
            EXPECT_NE(encrypted[j], plain[j]) << j;  // no other element of K equals P1's
        }
    }
}

TEST(Cipher, EncryptingTwiceUndoesItselfOnlyWithoutRotation) {
    struct Case {
        const char* name;
        Level level;
        Passwords pw;
        std::size_t size;
        bool restores;
    };
    const std::vector<Case> cases = {
        {"Secret", Level::Secret, {u"again", u""}, 50000, true},
        {"TopSecret without rotation", Level::TopSecret, {u"again", u"zz"}, 1000, true},
        {"TopSecret with rotation", Level::TopSecret, {u"again", u"\x01\x01"}, 1000, false},
        {"Secretter rotated", Level::Secretter, {u"again", u""}, 5000, false},
        {"Secretter reversed", Level::Secretter, {u"again", u""}, 100, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CipherKeys keys = KeysFor(c.level, c.pw);
        const Bytes plain = model::RandomImage(c.size, 5);
        const Bytes once = WrittenBack(plain, EncryptImage(plain, keys));
        const Bytes twice = WrittenBack(once, EncryptImage(once, keys));
        EXPECT_NE(once, plain);
        EXPECT_EQ(twice == plain, c.restores);
    }
}

TEST(Cipher, WrongPasswordOrLevelIsNotDetected) {
    const Bytes plain = model::RandomImage(30000, 9);
    const CipherKeys right = KeysFor(Level::Secretter, {u"right", u""});
    const Bytes encrypted = WrittenBack(plain, EncryptImage(plain, right));

    const CipherKeys wrongPassword = KeysFor(Level::Secretter, {u"wrong", u""});
    const CipherKeys wrongLevel = KeysFor(Level::Secret, {u"right", u""});
    for (const CipherKeys* keys : {&wrongPassword, &wrongLevel}) {
        const Bytes window = DecryptImage(encrypted, *keys);
        EXPECT_EQ(window.size(), 20481u);  // a full window, no error
        EXPECT_NE(WrittenBack(encrypted, window), plain);
    }
}

TEST(Cipher, SwappedPasswordsAtTopSecretDifferOnlyThroughTheRotation) {
    const Bytes plain = model::RandomImage(4000, 13);
    // Products 112 x 883 and 115 x 737 both exceed F - 1: no rotation either way.
    const Bytes one = EncryptImage(plain, KeysFor(Level::TopSecret, {u"password", u"sesame!!!"}));
    const Bytes other = EncryptImage(plain, KeysFor(Level::TopSecret, {u"sesame!!!", u"password"}));
    EXPECT_TRUE(SameBytes(one, other));
    // With a rotation from one of them the results differ.
    const Bytes rotated =
        EncryptImage(plain, KeysFor(Level::TopSecret, {u"password", u"\x01\x02"}));
    const Bytes unrotated =
        EncryptImage(plain, KeysFor(Level::TopSecret, {u"\x01\x02", u"password"}));
    EXPECT_NE(rotated, unrotated);
}

}  // namespace
}  // namespace quarnix
