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
