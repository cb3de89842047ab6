// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Whether bytes read like text, without knowing their encoding: UTF-16 with
// a byte order mark that decodes cleanly, or else bytes of an encoding that
// keeps ASCII as it is (UTF-8, GBK, the single-byte code pages) none of which
// is a control character other than tab, line feed, carriage return, form
// feed and escape (the last two turn up in real text files: page breaks in
// source files and manuals, colours in logs). Bytes from 0x80 up are letters
// in one or another of those encodings, so they are not looked at: a text in
// an encoding other than UTF-8 and GBK still counts as text.

#include <QByteArrayView>

namespace quarnix {

// `bytes` may be cut off anywhere.
bool LooksLikeText(QByteArrayView bytes);

}  // namespace quarnix
