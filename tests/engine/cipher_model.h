// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A deliberately plain model of the file format, written from its closed form
// and sharing no code with the engine: every pass is a separate byte loop that
// reads one buffer and writes a fresh one.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "engine/crypt_request.h"

namespace quarnix::model {

using Bytes = std::vector<std::uint8_t>;

// Key array of a text made only of ASCII and the euro sign: one byte per
// character, then a zero element.
inline Bytes KeyArrayOf(const std::u16string& text) {
    Bytes key;
    for (char16_t c : text) {
        if (c == u'\u20AC') {
            key.push_back(0x80);
        } else {
            EXPECT_LT(c, 0x80) << "the model only knows ASCII and the euro sign";
            key.push_back(static_cast<std::uint8_t>(c));
        }
    }
    key.push_back(0);
    return key;
}

inline std::int64_t SumOf(const Bytes& key) {
    std::int64_t sum = 0;
    for (std::uint8_t b : key) {
        sum += b;
    }
    return sum;
}

// out[j] = in[j] ^ x[(j + 1) mod (L + 1)]
inline Bytes XorPass(const Bytes& in, const Bytes& x) {
    Bytes out(in.size());
    for (std::size_t j = 0; j < in.size(); ++j) {
        out[j] = in[j] ^ x[(j + 1) % x.size()];
    }
    return out;
}

// out[j] = in[(j + s) mod w]
inline Bytes RotateLeft(const Bytes& in, std::size_t s) {
    Bytes out(in.size());
    for (std::size_t j = 0; j < in.size(); ++j) {
        out[j] = in[(j + s) % in.size()];
    }
    return out;
}

// out[j] = in[(j - s) mod w]
inline Bytes RotateRight(const Bytes& in, std::size_t s) {
    Bytes out(in.size());
    for (std::size_t j = 0; j < in.size(); ++j) {
        out[j] = in[(j + in.size() - s) % in.size()];
    }
    return out;
}

// out[j] = in[n - j]
inline Bytes ReverseBytes(const Bytes& in) {
    Bytes out(in.size());
    for (std::size_t j = 0; j < in.size(); ++j) {
        out[j] = in[in.size() - 1 - j];
    }
    return out;
}

struct Passwords {
    std::u16string First;
    std::u16string Second;  // read at TopSecret only
};

// The transformed window (w bytes) of an image, encrypting or decrypting.
inline Bytes Transform(bool encrypt, Level level, const Bytes& image, const Passwords& pw) {
    const Bytes k = KeyArrayOf(u"#qTe%358!MRW");
    const Bytes p1 = KeyArrayOf(pw.First);
    const std::size_t f = image.size();
    const std::size_t n = (level == Level::TopSecret || f - 1 < 20480) ? f - 1 : 20480;
    Bytes window(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(n + 1));

    if (level == Level::Secret) {
        return XorPass(XorPass(window, k), p1);
    }
    if (level == Level::Secretter) {
        const std::int64_t shift1 = SumOf(p1);
        const bool rotate = shift1 < static_cast<std::int64_t>(n);
        if (encrypt) {
            const Bytes mixed = XorPass(XorPass(window, k), p1);
            return rotate ? RotateLeft(mixed, static_cast<std::size_t>(shift1))
                          : ReverseBytes(mixed);
        }
        const Bytes moved =
            rotate ? RotateRight(window, static_cast<std::size_t>(shift1)) : ReverseBytes(window);
        return XorPass(XorPass(moved, k), p1);
    }
    const Bytes p2 = KeyArrayOf(pw.Second);
    const std::int64_t product = std::int64_t{p2[0]} * SumOf(p2);
    const std::size_t shift2 =
        product < static_cast<std::int64_t>(f - 1) ? static_cast<std::size_t>(product) : 0;
    if (encrypt) {
        return RotateLeft(XorPass(XorPass(XorPass(window, k), p1), p2), shift2);
    }
    return XorPass(XorPass(XorPass(RotateRight(window, shift2), k), p1), p2);
}

// A reproducible image of pseudo-random bytes.
inline Bytes RandomImage(std::size_t size, unsigned seed) {
    std::mt19937 engine(seed);
    Bytes image(size);
    for (auto& b : image) {
        b = static_cast<std::uint8_t>(engine() >> 24);
    }
    return image;
}

// Equal byte sequences, or the first difference (not megabytes of dump).
inline ::testing::AssertionResult SameBytes(const Bytes& expected, const Bytes& actual) {
    if (expected.size() != actual.size()) {
        return ::testing::AssertionFailure()
               << "size " << actual.size() << ", expected " << expected.size();
    }
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (expected[i] != actual[i]) {
            return ::testing::AssertionFailure()
                   << "first difference at offset " << i << ": " << int{actual[i]} << ", expected "
                   << int{expected[i]};
        }
    }
    return ::testing::AssertionSuccess();
}

}  // namespace quarnix::model
