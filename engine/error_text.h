// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The reasons the system gives for a failure (errno values), in Chinese, for
// both front ends: "无法打开文件“a.doc”：没有权限。" never carries an English
// reason inside a Chinese sentence.

#include <string>

namespace quarnix {

// The reason for `error`, without closing punctuation. A value without a
// text of its own shows its number: "未知的系统错误（错误号 41）".
std::u16string SystemReasonText(int error);

}  // namespace quarnix
