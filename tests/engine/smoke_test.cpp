#include <gtest/gtest.h>

#include "engine/cipher.h"

TEST(Smoke, RoundTrip) {
    for (auto level : {quarnix::Level::Secret, quarnix::Level::Secretter, quarnix::Level::TopSecret}) {
        for (std::size_t size : {1u, 2u, 13u, 20481u, 20482u, 100000u}) {
            std::vector<std::uint8_t> image(size);
            for (std::size_t i = 0; i < size; ++i) image[i] = static_cast<std::uint8_t>(i * 31 + 5);
            auto keys = *quarnix::MakeCipherKeys(level, u"abc", u"hello world");
            auto enc = image;
            auto w = quarnix::EncryptImage(image, keys);
            std::copy(w.begin(), w.end(), enc.begin());
            auto dec = enc;
            auto w2 = quarnix::DecryptImage(enc, keys);
            std::copy(w2.begin(), w2.end(), dec.begin());
            EXPECT_EQ(dec, image) << size;
        }
    }
}
