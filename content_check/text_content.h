#pragma once
// Whether bytes read like text: the start of a text file in UTF-8, in GBK
// (read as GB 18030, its superset), or in UTF-16 with a byte order mark,
// without control characters other than tab, line feed, carriage return,
// form feed and escape (the last two turn up in real text files: page breaks
// in source files and manuals, colours in logs).

#include <QByteArrayView>

namespace quarnix {

// `bytes` may be cut off anywhere: an incomplete character at the end counts
// as text.
bool LooksLikeText(QByteArrayView bytes);

}  // namespace quarnix
