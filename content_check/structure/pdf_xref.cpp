// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf_xref.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

namespace quarnix::structure {
namespace {

constexpr std::size_t SectionsFollowed = 16;
constexpr std::uint64_t SectionReadLimit = 256 * 1024;
constexpr std::uint64_t StreamOutputLimit = 4 * 1024 * 1024;

std::string_view Text(Bytes b) {
    return {reinterpret_cast<const char*>(b.data()), b.size()};
}

bool Space(char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0';
}

bool Digit(char c) {
    return c >= '0' && c <= '9';
}

// The integer at `at` after any white space; moves past it.
std::optional<std::uint64_t> Number(std::string_view t, std::size_t& at) {
    while (at < t.size() && Space(t[at])) {
        ++at;
    }
    const std::size_t start = at;
    std::uint64_t value = 0;
    while (at < t.size() && Digit(t[at]) && at - start < 18) {
        value = value * 10 + static_cast<std::uint64_t>(t[at++] - '0');
    }
    return at > start ? std::optional(value) : std::nullopt;
}

// The integer after the key `key` (e.g. "/Prev") in `dict`; not a reference.
std::optional<std::uint64_t> Entry(std::string_view dict, std::string_view key) {
    for (std::size_t at = dict.find(key); at != std::string_view::npos;
         at = dict.find(key, at + 1)) {
        std::size_t p = at + key.size();
        if (p < dict.size() && std::isalnum(static_cast<unsigned char>(dict[p]))) {
            continue;  // a longer key
        }
        const auto value = Number(dict, p);
        std::size_t q = p;
        if (value && Number(dict, q)) {
            while (q < dict.size() && Space(dict[q])) {
                ++q;
            }
            if (q < dict.size() && dict[q] == 'R') {
                return std::nullopt;  // an indirect reference
            }
        }
        return value;
    }
    return std::nullopt;
}

// The integers of the array after `key`.
std::vector<std::uint64_t> Array(std::string_view dict, std::string_view key) {
    std::vector<std::uint64_t> values;
    const std::size_t at = dict.find(key);
    if (at == std::string_view::npos) {
        return values;
    }
    std::size_t p = dict.find('[', at);
    const std::size_t end = dict.find(']', at);
    if (p == std::string_view::npos || end == std::string_view::npos || p > end) {
        return values;
    }
    ++p;
    while (p < end) {
        const auto value = Number(dict, p);
        if (!value) {
            break;
        }
        values.push_back(*value);
    }
    return values;
}

std::optional<std::vector<std::uint8_t>> Inflate(Bytes data) {
    std::vector<std::uint8_t> out(std::max<std::size_t>(4096, data.size() * 4));
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) {
        return std::nullopt;
    }
    zs.next_in = const_cast<Bytef*>(data.data());
    zs.avail_in = static_cast<uInt>(data.size());
    int answer = Z_OK;
    while (answer == Z_OK) {
        if (zs.total_out == out.size()) {
            if (out.size() >= StreamOutputLimit) {
                break;
            }
            out.resize(out.size() * 2);
        }
        zs.next_out = out.data() + zs.total_out;
        zs.avail_out = static_cast<uInt>(out.size() - zs.total_out);
        answer = inflate(&zs, Z_NO_FLUSH);
    }
    const std::size_t produced = zs.total_out;
    inflateEnd(&zs);
    if (answer != Z_STREAM_END) {
        return std::nullopt;
    }
    out.resize(produced);
    return out;
}

// Undoes the PNG predictors of rows of `columns` bytes, one filter byte each.
bool Unpredict(std::vector<std::uint8_t>& data, std::size_t columns) {
    const std::size_t row = columns + 1;
    if (columns == 0 || data.size() % row != 0) {
        return false;
    }
    std::vector<std::uint8_t> out;
    std::vector<std::uint8_t> previous(columns, 0);
    for (std::size_t r = 0; r < data.size(); r += row) {
        const int filter = data[r];
        std::vector<std::uint8_t> line(data.begin() + static_cast<std::ptrdiff_t>(r + 1),
                                       data.begin() + static_cast<std::ptrdiff_t>(r + row));
        for (std::size_t i = 0; i < columns; ++i) {
            const int left = i > 0 ? line[i - 1] : 0, up = previous[i],
                      corner = i > 0 ? previous[i - 1] : 0;
            int add = 0;
            if (filter == 1) {
                add = left;
            } else if (filter == 2) {
                add = up;
            } else if (filter == 3) {
                add = (left + up) / 2;
            } else if (filter == 4) {
                const int p = left + up - corner;
                const int pa = std::abs(p - left), pb = std::abs(p - up), pc = std::abs(p - corner);
                add = pa <= pb && pa <= pc ? left : pb <= pc ? up : corner;
            } else if (filter != 0) {
                return false;
            }
            line[i] = static_cast<std::uint8_t>(line[i] + add);
        }
        out.insert(out.end(), line.begin(), line.end());
        previous = line;
    }
    data = std::move(out);
    return true;
}

// A cross-reference stream's objects; answers its /Prev.
std::optional<std::uint64_t> XrefStream(std::string_view t, PdfXref& xref) {
    const std::size_t streamAt = t.find("stream");
    if (streamAt == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view dict = t.substr(0, streamAt);
    if (dict.find("/XRef") == std::string_view::npos) {
        return std::nullopt;
    }
    xref.Encrypted = xref.Encrypted || dict.find("/Encrypt") != std::string_view::npos;
    const std::vector<std::uint64_t> widths = Array(dict, "/W");
    std::vector<std::uint64_t> index = Array(dict, "/Index");
    const auto size = Entry(dict, "/Size");
    const auto length = Entry(dict, "/Length");
    const std::optional<std::uint64_t> prev = Entry(dict, "/Prev");
    if (widths.size() != 3 || !size || !length || widths[0] > 4 || widths[1] > 8 || widths[2] > 4) {
        return prev;
    }
    if (index.empty()) {
        index = {0, *size};
    }
    std::size_t data = streamAt + 6;
    data += t.substr(data, 2) == "\r\n" ? 2 : 1;
    if (data + *length > t.size()) {
        return prev;
    }
    const Bytes raw(reinterpret_cast<const std::uint8_t*>(t.data() + data), *length);
    std::optional<std::vector<std::uint8_t>> rows;
    if (dict.find("/FlateDecode") != std::string_view::npos) {
        rows = Inflate(raw);
    } else if (dict.find("/Filter") == std::string_view::npos) {
        rows = std::vector<std::uint8_t>(raw.begin(), raw.end());
    }
    const std::uint64_t rowLength = widths[0] + widths[1] + widths[2];
    if (!rows || rowLength == 0) {
        return prev;
    }
    if (Entry(dict, "/Predictor").value_or(1) >= 10 &&
        !Unpredict(*rows, Entry(dict, "/Columns").value_or(1))) {
        return prev;
    }
    std::size_t at = 0;
    for (std::size_t s = 0; s + 1 < index.size(); s += 2) {
        for (std::uint64_t n = 0; n < index[s + 1] && at + rowLength <= rows->size(); ++n) {
            std::uint64_t field[3] = {1, 0, 0};
            for (int f = 0; f < 3; ++f) {
                if (widths[f] > 0) {
                    field[f] = 0;
                }
                for (std::uint64_t k = 0; k < widths[f]; ++k) {
                    field[f] = field[f] << 8 | (*rows)[at++];
                }
            }
            if (field[0] == 1) {
                xref.Objects.push_back({index[s] + n, field[2], field[1]});
            }
        }
    }
    return prev;
}

// An "xref" table from just past its keyword; answers the trailer's /Prev.
std::optional<std::uint64_t> XrefTable(std::string_view t, std::uint64_t base, std::uint64_t head,
                                       PdfXref& xref) {
    std::size_t at = 4;
    while (true) {
        std::size_t p = at;
        const auto first = Number(t, p);
        const auto count = Number(t, p);
        if (!first || !count) {
            break;
        }
        while (p < t.size() && Space(t[p])) {
            ++p;
        }
        // The entries are of 20 bytes; some writers end each with one byte less.
        const std::size_t stride =
            p + 19 < t.size() && (t[p + 18] == '\n' || t[p + 18] == '\r') && Digit(t[p + 19]) ? 19
                                                                                              : 20;
        for (std::uint64_t n = 0; n < *count && p + stride <= t.size(); ++n, p += stride) {
            const std::string_view e = t.substr(p, stride);
            bool wellFormed = e[10] == ' ' && e[16] == ' ' && (e[17] == 'n' || e[17] == 'f') &&
                              (stride == 19 ? Space(e[18])
                                            : (e[18] == ' ' || e[18] == '\r') &&
                                                  (e[19] == '\r' || e[19] == '\n'));
            for (std::size_t i = 0; i < 16 && wellFormed; ++i) {
                wellFormed = i == 10 || Digit(e[i]);
            }
            if (!wellFormed) {
                if (base + p < head) {
                    xref.MalformedEntries.push_back(base + p);
                }
                return std::nullopt;
            }
            xref.LayoutBytes.push_back({base + p + 10, base + p + 11});
            xref.LayoutBytes.push_back({base + p + 16, base + p + 17});
            if (e[17] == 'n') {
                xref.Objects.push_back(
                    {*first + n, std::strtoull(std::string(e.substr(11, 5)).c_str(), nullptr, 10),
                     std::strtoull(std::string(e.substr(0, 10)).c_str(), nullptr, 10)});
            }
        }
        at = p;
    }
    const std::size_t trailer = t.find("trailer", at);
    if (trailer == std::string_view::npos) {
        return std::nullopt;
    }
    const std::size_t end = t.find(">>", trailer);
    xref.Encrypted = xref.Encrypted || t.find("/Encrypt", trailer) != std::string_view::npos;
    return Entry(
        t.substr(trailer, end == std::string_view::npos ? std::string_view::npos : end - trailer),
        "/Prev");
}

}  // namespace

std::optional<std::uint64_t> PdfStartXref(const FileView& file) {
    const std::uint64_t from = file.Length() - std::min<std::uint64_t>(file.Length(), 1024);
    const auto tail = file.UpTo(from, 1024);
    if (!tail) {
        return std::nullopt;
    }
    const std::string_view t = Text(*tail);
    const std::size_t at = t.rfind("startxref");
    if (at == std::string_view::npos || t.find("%%EOF", at) == std::string_view::npos) {
        return std::nullopt;
    }
    std::size_t p = at + 9;
    return Number(t, p);
}

PdfXref ReadPdfXref(const FileView& file, std::uint64_t start) {
    PdfXref xref;
    std::set<std::uint64_t> seen;
    std::optional<std::uint64_t> section = start;
    while (section && seen.size() < SectionsFollowed && seen.insert(*section).second) {
        const auto bytes = file.UpTo(*section, SectionReadLimit);
        if (!bytes) {
            break;
        }
        const std::string_view t = Text(*bytes);
        if (t.starts_with("xref")) {
            section = XrefTable(t, *section, file.Head().size(), xref);
        } else {
            section = XrefStream(t, xref);
        }
    }
    return xref;
}

}  // namespace quarnix::structure
