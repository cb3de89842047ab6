// SPDX-License-Identifier: GPL-3.0-or-later
// UTF-8 <-> UTF-16 for paths and passwords: valid text both ways, and bytes
// that are not UTF-8 kept through the way there and back.

#include <gtest/gtest.h>

#include "engine/text_codec.h"

namespace quarnix {
namespace {

TEST(TextCodec, ConvertsValidTextBothWays) {
    const struct {
        std::string utf8;
        std::u16string utf16;
    } cases[] = {
        {"", u""},       {"report.doc", u"report.doc"},  {"报告(秘密).doc", u"报告(秘密).doc"},
        {"€ é", u"€ é"}, {"x\xF0\x9F\x98\x80y", u"x😀y"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16);
        EXPECT_EQ(Utf16ToUtf8(c.utf16), c.utf8);
    }
}

TEST(TextCodec, KeepsBytesThatAreNotUtf8) {
    for (const std::string bytes :
         {"\xFF", "a\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE4\xB8-x"}) {
        EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(bytes)), bytes);
    }
    EXPECT_EQ(Utf8ToUtf16("\xFF"), std::u16string(1, char16_t{0xDCFF}));
    // A lone surrogate that stands for no byte has no UTF-8 form.
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t{0xD800})), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace quarnix
