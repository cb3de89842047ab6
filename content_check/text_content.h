// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Whether bytes read like text, without knowing their encoding: UTF-32 with a
// byte order mark, UTF-16 with or without one, or bytes of an encoding that keeps ASCII as it
// is, none of which is a control character other than tab, line feed,
// carriage return, form feed and escape (the last two turn up in real text
// files: page breaks in source files and manuals, colours in logs). Bytes from
// 0x80 up count only when they read as UTF-8, as the common characters of
// GBK/GB18030, or as single accented letters of a European code page: a run
// of random high bytes is no text.

#include <QByteArrayView>

namespace quarnix {

// `bytes` may be cut off anywhere.
bool LooksLikeText(QByteArrayView bytes);

}  // namespace quarnix
