// SPDX-License-Identifier: GPL-3.0-or-later
#include "local_charset.h"

#include <iconv.h>
#include <langinfo.h>
#include <string.h>

#include <cerrno>
#include <clocale>

namespace quarnix::cli {
namespace {

std::string charset;  // empty: UTF-8, nothing to convert

bool IsUtf8OrAscii(std::string_view name) {
    return strcasecmp(std::string(name).c_str(), "UTF-8") == 0 ||
           strcasecmp(std::string(name).c_str(), "UTF8") == 0 || name == "ANSI_X3.4-1968" ||
           name == "ASCII";
}

// Converts `input` with `converter` into `output`, which must have room;
// returns the bytes written, or -1 when `skipInvalid` is false and the input
// is invalid. Invalid bytes are otherwise copied as they are.
long Convert(iconv_t converter, std::string_view input, char* output, std::size_t room,
             bool skipInvalid) {
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char* out = output;
    std::size_t outLeft = room;
    while (inLeft > 0) {
        if (::iconv(converter, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1)) {
            break;
        }
        if ((errno != EILSEQ && errno != EINVAL) || !skipInvalid || outLeft == 0) {
            return -1;
        }
        *out++ = *in++;  // not UTF-8: a byte of a file name, say
        --outLeft;
        --inLeft;
    }
    if (::iconv(converter, nullptr, nullptr, &out, &outLeft) == static_cast<std::size_t>(-1)) {
        return -1;
    }
    return out - output;
}

}  // namespace

void UseLocaleCharset() {
    // LC_CTYPE only and only for this question: the rest of the tool keeps
    // the "C" locale it was built for.
    if (std::setlocale(LC_CTYPE, "") != nullptr) {
        const std::string name = ::nl_langinfo(CODESET);
        charset = IsUtf8OrAscii(name) ? std::string() : name;
        std::setlocale(LC_CTYPE, "C");
    }
}

std::string LocalText(std::string_view utf8) {
    if (charset.empty() || utf8.empty()) {
        return std::string(utf8);
    }
    const iconv_t converter = ::iconv_open((charset + "//TRANSLIT").c_str(), "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return std::string(utf8);
    }
    // Four bytes at most for each input byte, in GB18030 as in any set.
    std::string local(4 * utf8.size() + 8, '\0');
    const long length = Convert(converter, utf8, local.data(), local.size(), true);
    ::iconv_close(converter);
    if (length < 0) {
        return std::string(utf8);
    }
    local.resize(static_cast<std::size_t>(length));
    return local;
}

bool TypedToUtf8(std::string_view local, std::string& utf8) {
    utf8.clear();
    if (charset.empty()) {
        utf8.reserve(local.size());
        utf8.append(local);
        return true;
    }
    const iconv_t converter = ::iconv_open("UTF-8", charset.c_str());
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return false;
    }
    // One byte becomes three at most (a GB18030 byte pair: one character).
    utf8.resize(3 * local.size() + 8);
    const long length = Convert(converter, local, utf8.data(), utf8.size(), false);
    ::iconv_close(converter);
    if (length < 0) {
        ::explicit_bzero(utf8.data(), utf8.size());
        utf8.clear();
        return false;
    }
    utf8.resize(static_cast<std::size_t>(length));  // shrinks in place: the buffer stays
    return true;
}

}  // namespace quarnix::cli
