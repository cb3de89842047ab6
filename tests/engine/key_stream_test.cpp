// SPDX-License-Identifier: GPL-3.0-or-later
// The pieces the file commands stream with: the key stream at any position,
// chunk by chunk, and transform plans run a chunk at a time.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cipher_model.h"
#include "engine/format/cipher.h"
#include "engine/format/key_stream.h"

namespace quarnix {
namespace {

using model::Bytes;
using model::SameBytes;

constexpr std::uint64_t Giga4 = std::uint64_t{1} << 32;

// Key arrays of the given lengths (plus the zero element), of varied bytes.
std::vector<KeyArray> ArraysOfLengths(const std::vector<std::size_t>& lengths) {
    std::vector<KeyArray> arrays;
    unsigned seed = 1;
    for (std::size_t length : lengths) {
        const Bytes bytes = model::RandomImage(length, seed++);
        KeyArray array(bytes.begin(), bytes.end());
        array.push_back(0);
        arrays.push_back(array);
    }
    return arrays;
}

// The stream byte at window position p: every array at element (p + 1) mod (L + 1).
std::uint8_t StreamByte(const std::vector<KeyArray>& arrays, std::uint64_t p) {
    std::uint8_t byte = 0;
    for (const auto& array : arrays) {
        byte ^= array[(p + 1) % array.size()];
    }
    return byte;
}

struct StreamCase {
    const char* name;
    std::vector<std::size_t> lengths;
};

TEST(KeyStream, ChunkByChunkEqualsOneRunAtAnyPosition) {
    const std::vector<StreamCase> cases = {
        {"one array", {12}},
        {"periods that fuse", {12, 1, 25}},
        {"periods that do not fuse", {12, 6000}},
        {"three tiles", {12, 32767, 32766}},
    };
    const std::uint64_t positions[] = {0, 5, Giga4 - 7, Giga4 + 3, (std::uint64_t{1} << 40) + 11};
    const std::size_t chunkSizes[] = {1, 7, 4099, 65537};
    constexpr std::size_t RunLength = 200003;  // several internal steps

    for (const auto& c : cases) {
        const std::vector<KeyArray> arrays = ArraysOfLengths(c.lengths);
        std::vector<const KeyArray*> pointers;
        for (const auto& array : arrays) {
            pointers.push_back(&array);
        }
        const KeyStream stream(pointers);
        const Bytes source = model::RandomImage(RunLength, 99);

        for (std::uint64_t position : positions) {
            SCOPED_TRACE(testing::Message() << c.name << " at " << position);
            Bytes expected(RunLength);
            for (std::size_t i = 0; i < RunLength; ++i) {
                expected[i] = source[i] ^ StreamByte(arrays, position + i);
            }
            Bytes whole(RunLength);
            stream.ApplyTo(source.data(), whole.data(), RunLength, position);
            EXPECT_TRUE(SameBytes(expected, whole));

            for (std::size_t chunk : chunkSizes) {
                SCOPED_TRACE(chunk);
                Bytes inPlace = source;
                for (std::size_t done = 0; done < RunLength; done += chunk) {
                    stream.Apply(inPlace.data() + done, std::min(chunk, RunLength - done),
                                 position + done);
                }
                EXPECT_TRUE(SameBytes(expected, inPlace));
            }
        }
    }
}

TEST(KeyStream, ShortRunBoundStillCombinesEveryByte) {
    // A stream made for runs of 3 bytes, as for a three-byte window.
    const std::vector<KeyArray> arrays = ArraysOfLengths({12, 4});
    const KeyStream stream({&arrays[0], &arrays[1]}, 3);
    for (std::uint64_t position : {std::uint64_t{0}, std::uint64_t{1}, Giga4 + 1}) {
        Bytes data(3, 0);
        stream.Apply(data.data(), data.size(), position);
        for (std::size_t i = 0; i < data.size(); ++i) {
            EXPECT_EQ(data[i], StreamByte(arrays, position + i)) << position << " " << i;
        }
    }
}

// Output position j of a plan: the input offset it reads and the key position
// it is combined with.
struct Source {
    std::uint64_t offset;
    std::uint64_t key;
};

Source Lookup(const TransformPlan& plan, std::uint64_t j) {
    for (const Segment& s : plan.Segments) {
        if (j < s.Length) {
            return {s.SourceOffset + j, s.KeyPosition + j};
        }
        j -= s.Length;
    }
    ADD_FAILURE() << "position beyond the plan";
    return {0, 0};
}

TEST(TransformPlan, MapsEveryPositionOfAHugeTopSecretFileAsTheRotationDoes) {
    const std::uint64_t fileLength = 2 * Giga4 + 12345;  // never allocated
    const auto keys = *MakeCipherKeys(Level::TopSecret, u"pw", u"ab");
    const std::uint64_t s = 97 * (97 + 98);
    const std::uint64_t w = fileLength;
    const std::uint64_t samples[] = {0, 1, w - s - 1, w - s, w - s + 1, Giga4, w - 1};

    // Encrypting combines first, then rotates left: output j reads input
    // (j + s) mod w, combined at that same position.
    const TransformPlan encrypt = PlanTransform(Direction::Encrypt, keys, fileLength);
    ASSERT_EQ(encrypt.WindowLength, w);
    ASSERT_FALSE(encrypt.Reversed);
    EXPECT_EQ(encrypt.Segments[0].Length + encrypt.Segments[1].Length, w);
    for (std::uint64_t j : samples) {
        const Source src = Lookup(encrypt, j);
        EXPECT_EQ(src.offset, (j + s) % w) << j;
        EXPECT_EQ(src.key, (j + s) % w) << j;
    }
    // Decrypting rotates right first, then combines: output j reads input
    // (j - s) mod w, combined at position j.
    const TransformPlan decrypt = PlanTransform(Direction::Decrypt, keys, fileLength);
    EXPECT_EQ(decrypt.Segments[0].Length + decrypt.Segments[1].Length, w);
    for (std::uint64_t j : samples) {
        const Source src = Lookup(decrypt, j);
        EXPECT_EQ(src.offset, (j + w - s) % w) << j;
        EXPECT_EQ(src.key, j) << j;
    }
}

// Runs a plan the way a file is streamed: each segment in chunks of `chunk`
// bytes, every chunk combined from its own window position.
Bytes RunInChunks(const TransformPlan& plan, const KeyStream& stream, const Bytes& image,
                  std::size_t chunk) {
    Bytes window(plan.WindowLength);
    std::size_t out = 0;
    for (const Segment& s : plan.Segments) {
        for (std::uint64_t done = 0; done < s.Length; done += chunk) {
            const std::size_t n =
                static_cast<std::size_t>(std::min<std::uint64_t>(chunk, s.Length - done));
            stream.ApplyTo(image.data() + s.SourceOffset + done, window.data() + out, n,
                           s.KeyPosition + done);
            out += n;
        }
    }
    return window;
}

TEST(TransformPlan, RunInOddChunksGivesTheWholeImageResult) {
    struct Case {
        const char* name;
        Level level;
        model::Passwords pw;
        std::size_t size;
    };
    const std::vector<Case> cases = {
        {"Secret, long file", Level::Secret, {u"chunky", u""}, 100000},
        {"Secretter, rotated", Level::Secretter, {u"chunky", u""}, 20481},
        {"TopSecret, rotated", Level::TopSecret, {u"chunky", u"\x01zz"}, 1000003},
        {"TopSecret, not rotated", Level::TopSecret, {u"chunky", u"zz"}, 5000},
        {"TopSecret, long passwords",
         Level::TopSecret,
         {std::u16string(6000, u'q'), u"\x01" + std::u16string(32766, u'\x02')},
         1000003},
    };
    for (const auto& c : cases) {
        const auto keys = *MakeCipherKeys(c.level, c.pw.First, c.pw.Second);
        const Bytes image = model::RandomImage(c.size, 21);
        for (Direction direction : {Direction::Encrypt, Direction::Decrypt}) {
            const bool encrypt = direction == Direction::Encrypt;
            const TransformPlan plan = PlanTransform(direction, keys, c.size);
            ASSERT_FALSE(plan.Reversed);
            const KeyStream stream = MakeKeyStream(keys, plan.WindowLength);
            const Bytes expected = model::Transform(encrypt, c.level, image, c.pw);
            Bytes whole(plan.WindowLength);
            RunPlan(plan, direction, stream, image, whole);
            EXPECT_TRUE(SameBytes(expected, whole)) << c.name;
            for (std::size_t chunk : {1u, 4097u, 65539u}) {
                SCOPED_TRACE(testing::Message() << c.name << (encrypt ? " encrypt" : " decrypt")
                                                << ", chunks of " << chunk);
                EXPECT_TRUE(SameBytes(expected, RunInChunks(plan, stream, image, chunk)));
            }
        }
    }
}

TEST(TransformPlan, ReversesOnlySecretterWindowsUpToShift1PlusOneBytes) {
    // Shift1 of "a" is 97: windows of up to 98 bytes (n <= 97) are reversed.
    const auto secretter = *MakeCipherKeys(Level::Secretter, u"a", u"");
    EXPECT_TRUE(PlanTransform(Direction::Encrypt, secretter, 98).Reversed);
    EXPECT_TRUE(PlanTransform(Direction::Decrypt, secretter, 1).Reversed);
    EXPECT_FALSE(PlanTransform(Direction::Decrypt, secretter, 99).Reversed);
    for (Level level : {Level::Secret, Level::TopSecret}) {
        const auto keys = *MakeCipherKeys(level, u"a", u"a");
        EXPECT_FALSE(PlanTransform(Direction::Encrypt, keys, 5).Reversed);
    }
    // An empty file has no window and nothing to run.
    EXPECT_EQ(PlanTransform(Direction::Encrypt, secretter, 0).WindowLength, 0u);
}

}  // namespace
}  // namespace quarnix
