// SPDX-License-Identifier: GPL-3.0-or-later
#include "text_content.h"

#include <QString>
#include <QStringDecoder>
#include <algorithm>

namespace quarnix {
namespace {

bool AllowedCharacter(char16_t c) {
    switch (c) {
        case u'\t':
        case u'\n':
        case u'\r':
        case u'\f':
        case u'\x1b':
            return true;
        default:
            return c >= 0x20 && c != 0x7f;
    }
}

// Decodes `bytes` and answers whether that went without an error and gave no
// unwanted control character. The decoder keeps an incomplete character at
// the end to itself, without an error.
bool DecodesCleanly(QStringDecoder decoder, QByteArrayView bytes) {
    const QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        return false;
    }
    return std::all_of(text.begin(), text.end(), [](QChar c) {
        return AllowedCharacter(c.unicode()) && !(c >= u'\x80' && c <= u'\x9f');
    });
}

}  // namespace

bool LooksLikeText(QByteArrayView bytes) {
    if (bytes.startsWith("\xff\xfe")) {
        return DecodesCleanly(QStringDecoder(QStringDecoder::Utf16LE), bytes);
    }
    if (bytes.startsWith("\xfe\xff")) {
        return DecodesCleanly(QStringDecoder(QStringDecoder::Utf16BE), bytes);
    }
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char byte) { return AllowedCharacter(static_cast<std::uint8_t>(byte)); });
}

}  // namespace quarnix
