// SPDX-License-Identifier: GPL-3.0-or-later
#include "text_content.h"

#include <QString>
#include <QStringDecoder>
#include <algorithm>
#include <cstdint>

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
            return c >= 0x20 && c != 0x7f && !(c >= 0x80 && c <= 0x9f);
    }
}

// Characters that text holds: not the private use area, not a lone
// surrogate, not a non-character.
bool PlausibleCharacter(char16_t c) {
    return AllowedCharacter(c) && !(c >= 0xe000 && c <= 0xf8ff) && c != 0xfffd && c != 0xfffe &&
           c != 0xffff;
}

// Decodes `bytes` and answers whether that went without an error and gave
// only characters that text holds. The decoder keeps an incomplete character
// at the end to itself, without an error.
bool DecodesCleanly(QStringDecoder decoder, QByteArrayView bytes) {
    const QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        return false;
    }
    return std::all_of(text.begin(), text.end(),
                       [](QChar c) { return PlausibleCharacter(c.unicode()); });
}

bool High(std::uint8_t byte) {
    return byte >= 0x80;
}

bool AsciiLetter(std::uint8_t byte) {
    return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z');
}

// GBK (and the GB18030 that extends it) the way Chinese text uses it: two-byte
// characters, nearly all of them in the GB2312 rows of common characters and
// symbols. Random high bytes also pair up into valid GBK codes, but mostly
// outside those rows or in the user-defined areas.
bool ReadsAsGbk(const std::uint8_t* bytes, std::size_t size) {
    std::size_t pairs = 0;
    std::size_t common = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t lead = bytes[i];
        if (!High(lead)) {
            continue;
        }
        if (i + 1 == size) {
            break;  // cut off inside a character
        }
        const std::uint8_t trail = bytes[i + 1];
        if (lead < 0x81 || lead > 0xfe) {
            return false;
        }
        if (trail >= 0x30 && trail <= 0x39) {
            // A four-byte GB18030 code: rare letters of other scripts.
            if (i + 3 < size && (bytes[i + 2] < 0x81 || bytes[i + 2] > 0xfe ||
                                 bytes[i + 3] < 0x30 || bytes[i + 3] > 0x39)) {
                return false;
            }
            ++pairs;
            i += 3;
            continue;
        }
        if (trail < 0x40 || trail == 0x7f || trail == 0xff) {
            return false;
        }
        ++pairs;
        const bool gb2312 = lead >= 0xa1 && lead <= 0xf7 && trail >= 0xa1 &&
                            !(lead >= 0xaa && lead <= 0xaf) && !(lead >= 0xa8 && trail < 0xa1);
        common += gb2312 ? 1 : 0;
        ++i;
    }
    // A few rare or traditional characters may stand among common ones.
    return pairs - common <= std::max<std::size_t>(1, pairs / 20);
}

// A single-byte code page of Europe: a letter with an accent here and there,
// each between ASCII letters or punctuation ("résumé."), never in runs.
bool ReadsAsLatin(const std::uint8_t* bytes, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        if (!High(bytes[i])) {
            continue;
        }
        const bool letter = bytes[i] >= 0xc0 && bytes[i] != 0xd7 && bytes[i] != 0xf7;
        const bool before = i > 0 && AsciiLetter(bytes[i - 1]);
        const bool after = i + 1 < size && !High(bytes[i + 1]);
        if (!letter || !after || (!before && !(i + 1 < size && AsciiLetter(bytes[i + 1])))) {
            return false;
        }
    }
    return true;
}

// UTF-16 without a byte order mark: every other byte is zero in Latin text;
// Chinese text has no such pattern, so only the first is tried.
bool ReadsAsUtf16WithoutMark(QByteArrayView bytes) {
    if (bytes.size() < 4) {
        return false;
    }
    std::size_t zeroEven = 0;
    std::size_t zeroOdd = 0;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        zeroEven += bytes[i] == 0 ? 1 : 0;
        zeroOdd += bytes[i + 1] == 0 ? 1 : 0;
    }
    const auto units = static_cast<std::size_t>(bytes.size() / 2);
    if (zeroOdd * 2 >= units && zeroEven == 0) {
        return DecodesCleanly(QStringDecoder(QStringDecoder::Utf16LE), bytes);
    }
    if (zeroEven * 2 >= units && zeroOdd == 0) {
        return DecodesCleanly(QStringDecoder(QStringDecoder::Utf16BE), bytes);
    }
    return false;
}

}  // namespace

bool LooksLikeText(QByteArrayView bytes) {
    if (bytes.startsWith(QByteArrayView("\xff\xfe\0\0", 4))) {
        return DecodesCleanly(QStringDecoder(QStringDecoder::Utf32LE), bytes);
    }
    if (bytes.startsWith(QByteArrayView("\0\0\xfe\xff", 4))) {
        return DecodesCleanly(QStringDecoder(QStringDecoder::Utf32BE), bytes);
    }
    if (bytes.startsWith("\xff\xfe")) {
        return DecodesCleanly(QStringDecoder(QStringDecoder::Utf16LE), bytes);
    }
    if (bytes.startsWith("\xfe\xff")) {
        return DecodesCleanly(QStringDecoder(QStringDecoder::Utf16BE), bytes);
    }
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const auto size = static_cast<std::size_t>(bytes.size());
    bool high = false;
    for (std::size_t i = 0; i < size; ++i) {
        if (High(data[i])) {
            high = true;
        } else if (!AllowedCharacter(data[i])) {
            return ReadsAsUtf16WithoutMark(bytes);
        }
    }
    if (!high) {
        return true;
    }
    return DecodesCleanly(QStringDecoder(QStringDecoder::Utf8), bytes) || ReadsAsGbk(data, size) ||
           ReadsAsLatin(data, size);
}

}  // namespace quarnix
