// SPDX-License-Identifier: GPL-3.0-or-later
#include "guard_passwords.h"

#include <string_view>

namespace quarnix::bench {
namespace {

// The rows of a keyboard: a typo takes the key to the right (the one to the
// left at a row's end).
constexpr std::u16string_view Rows[] = {u"1234567890", u"qwertyuiop", u"asdfghjkl",
                                        u"zxcvbnm",    u"!@#$%^&*()", u"-=[];',./"};
// Letters come up most, then digits, then signs.
constexpr std::u16string_view Drawn =
    u"abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
    u"01234567890123456789!@#$%&*-_.";

char16_t Lower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

}  // namespace

std::u16string MakePassword(std::uint32_t seed, int length) {
    std::u16string password;
    std::uint32_t x = seed * 2654435761u + 0x9e3779b9u;
    for (int i = 0; i < length; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        password += Drawn[x % Drawn.size()];
    }
    return password;
}

std::u16string Mistyped(std::u16string password, std::size_t index) {
    const char16_t right = password[index];
    const char16_t key = Lower(right);
    for (const std::u16string_view row : Rows) {
        const std::size_t at = row.find(key);
        if (at == std::u16string_view::npos) {
            continue;
        }
        char16_t next = row[at + 1 < row.size() ? at + 1 : at - 1];
        if (key != right && next >= u'a' && next <= u'z') {
            next = static_cast<char16_t>(next - u'a' + u'A');  // keep the capital
        }
        password[index] = next;
        return password;
    }
    password[index] = right == u'_' ? u'-' : u'_';
    return password;
}

}  // namespace quarnix::bench
