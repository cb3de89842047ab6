// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The advice on password 2 that both front ends give before a command runs:
// it should differ from password 1 and have at least five characters. The
// commands themselves do not refuse such a password; the window asks for it
// again, quarnix-cli notes it.

#include <string>
#include <string_view>

namespace quarnix {

enum class Password2Advice {
    None,
    Empty,
    SameAsPassword1,  // exactly equal: case-sensitive, nothing trimmed
    TooShort,         // fewer than MinimumPassword2Length characters
};

// Characters are UTF-16 code units, as everywhere in the program.
inline constexpr std::size_t MinimumPassword2Length = 5;

// The first rule that applies, in this order: empty, equal, too short.
Password2Advice AdviseOnPassword2(std::u16string_view password2, std::u16string_view password1);

// "密码2不能为空！", "你输入的密码2与上面的第一组密码相同，请重新输入！" or
// "你输入的密码2太短，至少是5位密码。请重新输入！"; empty for None.
std::u16string_view Password2AdviceText(Password2Advice advice);

}  // namespace quarnix
