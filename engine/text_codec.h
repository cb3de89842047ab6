// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// UTF-8 <-> UTF-16 for paths, passwords and messages.
//
// Linux paths are bytes and need not be valid UTF-8. So that every path
// survives the way through UTF-16 and back, a byte that is not part of valid
// UTF-8 becomes the lone surrogate U+DC80 + byte, and such a surrogate becomes
// that byte again (the "surrogate escape" scheme). Valid text is unaffected.

#include <string>
#include <string_view>

namespace quarnix {

std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace quarnix
