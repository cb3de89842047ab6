#include "text_content.h"

#include <QString>
#include <QStringDecoder>

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
            return !(c < 0x20 || (c >= 0x7f && c <= 0x9f));
    }
}

// Decodes `bytes` and answers whether that went without an error and gave no
// unwanted control character. The decoder keeps an incomplete character at
// the end to itself, without an error.
bool DecodesCleanly(QStringDecoder decoder, QByteArrayView bytes) {
    if (!decoder.isValid()) {
        return false;
    }
    const QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        return false;
    }
    for (const QChar c : text) {
        if (!AllowedCharacter(c.unicode())) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool LooksLikeText(QByteArrayView bytes) {
    if (bytes.startsWith("\xff\xfe")) {
        return DecodesCleanly(QStringDecoder(QStringDecoder::Utf16LE), bytes);
    }
    if (bytes.startsWith("\xfe\xff")) {
        return DecodesCleanly(QStringDecoder(QStringDecoder::Utf16BE), bytes);
    }
    return DecodesCleanly(QStringDecoder(QStringDecoder::Utf8), bytes) ||
           DecodesCleanly(QStringDecoder("GB18030"), bytes);
}

}  // namespace quarnix
