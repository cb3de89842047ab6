// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The character set of the user's locale (LC_ALL, LC_CTYPE, LANG), for the
// texts the tool writes and the passwords it reads. The tool's own texts are
// UTF-8; under a locale of another character set, GB18030 say, they are
// converted on the way out and typed text on the way in. File names are
// bytes and pass through unchanged. The "C" locale's ASCII says nothing about
// the terminal and is taken as UTF-8.

#include <string>
#include <string_view>

namespace quarnix::cli {

// Reads the locale's character set once, at start; until then, and under a
// UTF-8 locale, nothing is converted.
void UseLocaleCharset();

// `utf8`, one of the tool's texts, in the locale's character set. A character
// the set lacks becomes "?"; bytes that are not UTF-8 pass through.
std::string LocalText(std::string_view utf8);

// Text in the locale's character set, as typed, into UTF-8 in `utf8`, which
// holds no more than the result; false when `local` is not valid in that set.
// No copy of the text is left behind in freed memory.
bool TypedToUtf8(std::string_view local, std::string& utf8);

}  // namespace quarnix::cli
