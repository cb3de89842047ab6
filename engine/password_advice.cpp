// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/password_advice.h"

namespace quarnix {

Password2Advice AdviseOnPassword2(std::u16string_view password2, std::u16string_view password1) {
    if (password2.empty()) {
        return Password2Advice::Empty;
    }
    if (password2 == password1) {
        return Password2Advice::SameAsPassword1;
    }
    if (password2.size() < MinimumPassword2Length) {
        return Password2Advice::TooShort;
    }
    return Password2Advice::None;
}

std::u16string_view Password2AdviceText(Password2Advice advice) {
    switch (advice) {
        case Password2Advice::Empty:
            return u"密码2不能为空！";
        case Password2Advice::SameAsPassword1:
            return u"你输入的密码2与上面的第一组密码相同，请重新输入！";
        case Password2Advice::TooShort:
            return u"你输入的密码2太短，至少是5位密码。请重新输入！";
        case Password2Advice::None:
            break;
    }
    return {};
}

}  // namespace quarnix
