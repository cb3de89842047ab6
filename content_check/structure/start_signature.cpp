// SPDX-License-Identifier: GPL-3.0-or-later
#include "start_signature.h"

#include <cstdint>

namespace quarnix::structure {
namespace {

struct Signature {
    std::size_t At = 0;
    std::string_view Bytes;
    std::string_view Format;
    bool MayBeDamaged = false;     // long enough to be told with a character or two off
    std::size_t AnyAt = SIZE_MAX;  // a position whose byte varies (bzip2's block size)
};

using namespace std::string_view_literals;

constexpr Signature Signatures[] = {
    {0, "\x89PNG\r\n\x1a\n"sv, "image/png", true},
    {0, "\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1"sv, "application/x-ole-storage", true},
    {0, "SQLite format 3\0"sv, "application/vnd.sqlite3", true},
    {0, "7z\xbc\xaf\x27\x1c"sv, "application/x-7z-compressed", true},
    {0,
     "\xfd"
     "7zXZ\0"sv,
     "application/x-xz", true},
    {0, "Rar!\x1a\x07\x01\x00"sv, "application/vnd.rar", true},
    {0, "Rar!\x1a\x07\x00"sv, "application/vnd.rar"},
    {0, "GIF89a"sv, "image/gif", true},
    {0, "GIF87a"sv, "image/gif"},
    {0, "BZh9\x31\x41\x59\x26\x53\x59"sv, "application/x-bzip2", true, 3},
    // Not told when damaged: many files begin with zeros.
    {0, "\0\0\x27\x0a\0\0\0\0\0\0\0\0"sv, "application/vnd.shp"},
    {0, "\0asm\1\0\0\0"sv, "application/wasm", true},
    {257, "ustar"sv, "application/x-tar"},
    {0, "%PDF-"sv, "application/pdf"},
    {0, "PK\x03\x04"sv, "application/zip"},
    {0,
     "\x7f"
     "ELF"sv,
     "application/x-sharedlib"},
    {0, "RIFF"sv, "audio/x-wav"},
    {4, "ftyp"sv, "video/mp4"},
    {0, "OTTO"sv, "font/otf"},
    {0, "ttcf"sv, "font/collection"},
    {0, "wOFF"sv, "font/woff"},
    {0, "wOF2"sv, "font/woff2"},
    {0, "\0\1\0\0"sv, "font/ttf"},
    {0, "\x1f\x8b\x08"sv, "application/gzip"},
    {0, "\xff\xd8\xff"sv, "image/jpeg"},
    {0, "ID3"sv, "audio/mpeg"},
};

// Bytes of `signature` that `head` does not hold; SIZE_MAX when it is too short.
std::size_t Differ(Bytes head, const Signature& signature) {
    if (head.size() < signature.At + signature.Bytes.size()) {
        return SIZE_MAX;
    }
    std::size_t differ = 0;
    for (std::size_t i = 0; i < signature.Bytes.size(); ++i) {
        differ += i != signature.AnyAt &&
                          head[signature.At + i] != static_cast<std::uint8_t>(signature.Bytes[i])
                      ? 1
                      : 0;
    }
    return differ;
}

}  // namespace

StartSignature SignatureAtStart(Bytes head) {
    StartSignature found;
    for (const Signature& signature : Signatures) {
        const std::size_t fixed = signature.Bytes.size() - (signature.AnyAt < SIZE_MAX ? 1 : 0);
        if (fixed > found.Length && Differ(head, signature) == 0) {
            found = {signature.Format, fixed, false};
        }
    }
    if (found.Length > 0) {
        return found;
    }
    for (const Signature& signature : Signatures) {
        const std::size_t differ = Differ(head, signature);
        if (signature.MayBeDamaged && differ > 0 && differ * 4 <= signature.Bytes.size()) {
            return {signature.Format, signature.Bytes.size(), true};
        }
    }
    return {};
}

}  // namespace quarnix::structure
