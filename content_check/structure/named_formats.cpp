// SPDX-License-Identifier: GPL-3.0-or-later
#include "named_formats.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "deflate_stream.h"
#include "format_checks.h"

namespace quarnix::structure {
namespace {

using namespace std::string_view_literals;

bool BeginsWithAny(Bytes b, std::initializer_list<std::string_view> starts) {
    return std::any_of(starts.begin(), starts.end(),
                       [b](std::string_view start) { return HasAt(b, 0, start); });
}

// R's saved data (save, saveRDS): compressed by gzip, bzip2, xz or zstd, or
// not at all, when it begins with the kind of file and of serialization.
bool BeginsAsRData(const FileView& file) {
    const Bytes b = file.Head();
    return BeginsWithAny(b, {"\x1f\x8b"sv, "BZh"sv,
                             "\xfd"
                             "7zXZ"sv,
                             "\x28\xb5\x2f\xfd"sv, "RDX2\n"sv, "RDX3\n"sv, "RDA2\n"sv, "RDA3\n"sv,
                             "RDB2\n"sv, "RDB3\n"sv, "X\n"sv, "A\n"sv, "B\n"sv});
}

// R's lazy-load databases: values one after the other, each the length of
// what it holds in four bytes and then a zlib stream (or a '2' and bzip2
// data, or a 'Z' and xz data). Those of zlib are walked as far as the head
// reaches: each must inflate to its length, with its Adler-32 check, and
// the next begin right after it.
bool BeginsAsRLazyLoad(const FileView& file) {
    const Bytes b = file.Head();
    std::size_t at = 0;
    while (at + 6 <= b.size()) {
        const std::uint32_t length = Be32(b, at);
        const Bytes value = b.subspan(at + 4);
        const bool zlib = (value[0] & 0x0f) == 8 && (value[0] << 8 | value[1]) % 31 == 0;
        if (!zlib) {
            // Every value of a database is compressed alike.
            return at == 0 && BeginsWithAny(value, {"2BZh"sv,
                                                    "Z\xfd"
                                                    "7zXZ"sv});
        }
        DeflateStream stream(DeflateStream::Wrap::Zlib);
        const DeflateStream::State state = stream.Feed(value, length);
        if (state == DeflateStream::State::Broken || stream.Produced() > length) {
            return false;
        }
        if (state != DeflateStream::State::Ended) {
            // A value that goes on past the head, or one zlib cannot take.
            return !file.WholeFileInHead() || state == DeflateStream::State::Unsupported;
        }
        if (stream.Produced() != length) {
            return false;
        }
        at += 4 + stream.Consumed();
    }
    return at > 0 && (at == b.size() || !file.WholeFileInHead());
}

// CPython's compiled modules: a two-byte magic number of the version and a
// line end, then (since 3.7) four bytes of flags and eight more, or (3.3 to
// 3.6) eight bytes, or (before) four; then the module's code object.
bool BeginsAsPythonBytecode(const FileView& file) {
    const Bytes b = file.Head();
    if (b.size() < 17 || b[2] != '\r' || b[3] != '\n') {
        return false;
    }
    const auto codeAt = [b](std::size_t at) { return (b[at] & 0x7f) == 'c'; };  // 0x80: a reference
    const std::uint32_t flags = Le32(b, 4);
    return (flags <= 3 && flags != 2 && codeAt(16)) || codeAt(12) || codeAt(8);
}

// OpenPGP data: armoured text, or packets; the first packet's header (old or
// new format) names a known tag, and what it holds begins as that tag's
// packets do: a version, a compression method, a literal's data format.
bool BeginsAsOpenPgp(const FileView& file) {
    const Bytes b = file.Head();
    if (HasAt(b, 0, "-----BEGIN PGP "sv)) {
        return true;
    }
    if (b.size() < 3 || (b[0] & 0x80) == 0) {
        return false;
    }
    std::size_t tag = 0, body = 0;
    std::uint64_t length = 0;
    bool known = true;         // whether the header gives the packet's length
    if ((b[0] & 0x40) != 0) {  // new format
        tag = b[0] & 0x3f;
        if (b[1] < 192) {
            length = b[1];
            body = 2;
        } else if (b[1] < 224) {
            length = ((b[1] - 192u) << 8) + b[2] + 192;
            body = 3;
        } else if (b[1] == 255 && b.size() >= 6) {
            length = Be32(b, 2);
            body = 6;
        } else {
            known = false;  // a partial length
            body = 2;
        }
    } else {  // old format
        tag = (b[0] >> 2) & 0x0f;
        const std::size_t lengthBytes[] = {1, 2, 4, 0};
        const std::size_t bytes = lengthBytes[b[0] & 3];
        for (std::size_t i = 0; i < bytes && 1 + i < b.size(); ++i) {
            length = length << 8 | b[1 + i];
        }
        known = bytes != 0;
        body = 1 + bytes;
    }
    if (body >= b.size() || (known && length > file.Length() - body)) {
        return false;
    }
    const std::uint8_t first = b[body];
    switch (tag) {
        case 1:
        case 2:
        case 3:
        case 4:
        case 5:
        case 6:
        case 7:
        case 14:
        case 18:
            return first >= 1 && first <= 6;  // a version
        case 8:
            return first <= 3;  // a compression method
        case 11:
            return std::string_view("btul1m").find(static_cast<char>(first)) !=
                   std::string_view::npos;  // a literal's data format
        case 9:
        case 10:
        case 12:
        case 13:
        case 17:
        case 19:
        case 20:
        case 21:
            return true;
        default:
            return tag >= 60 && tag <= 63;  // private or experimental
    }
}

struct Named {
    std::string_view Extension;  // lower case
    NamedFormat Format;
};

const NamedFormat Sqlite{"application/vnd.sqlite3", LooksLikeSqlite};
const NamedFormat Shapefile{"application/vnd.shp", LooksLikeShapefile};
const NamedFormat RData{"application/x-rdata", BeginsAsRData};

const Named Names[] = {
    {"sqlite", Sqlite},
    {"sqlite3", Sqlite},
    {"db3", Sqlite},
    {"gpkg", Sqlite},
    {"mbtiles", Sqlite},
    {"shp", Shapefile},
    {"shx", Shapefile},
    {"dbf", {"application/x-dbf", HasDbaseHeader}},
    {"wasm", {"application/wasm", LooksLikeWasm}},
    {"rds", RData},
    {"rda", RData},
    {"rdata", RData},
    {"rdx", RData},
    {"rdb", {"application/x-rdata", BeginsAsRLazyLoad}},
    {"pyc", {"application/x-python-bytecode", BeginsAsPythonBytecode}},
    {"pyo", {"application/x-python-bytecode", BeginsAsPythonBytecode}},
    {"gpg", {"application/pgp-encrypted", BeginsAsOpenPgp}},
    {"pgp", {"application/pgp-encrypted", BeginsAsOpenPgp}},
};

}  // namespace

const NamedFormat* FormatNamedBy(std::string_view fileName) {
    const std::size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos || dot == 0) {
        return nullptr;
    }
    std::string extension(fileName.substr(dot + 1));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const Named& named : Names) {
        if (named.Extension == extension) {
            return &named.Format;
        }
    }
    return nullptr;
}

}  // namespace quarnix::structure
