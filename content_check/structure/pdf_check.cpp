// SPDX-License-Identifier: GPL-3.0-or-later
// PDF: the cross-reference data near the end of the file says at which
// offset each object starts with "N G obj". Where a head's bytes there keep
// the shape of those words with a few characters foreign to it, or an xref
// table in the head breaks its fixed layout, the head is broken. Offsets that
// merely miss their objects are left alone: many writers get them wrong.

#include <string>
#include <string_view>

#include "deflate_stream.h"
#include "format_checks.h"
#include "pdf_xref.h"

namespace quarnix::structure {
namespace {

bool IsDigit(std::uint8_t c) {
    return c >= '0' && c <= '9';
}

enum class Place { Exact, Astray, Damaged };

// What the head holds where object `place` should start: its header, digits
// and all; something else (an offset that misses); or the header's shape
// with a few characters that no header has there.
Place Look(Bytes head, const PdfObjectPlace& place, Finding& finding) {
    const std::string expected =
        std::to_string(place.Number) + " " + std::to_string(place.Generation) + " obj";
    if (place.Offset + expected.size() > head.size()) {
        return Place::Astray;
    }
    const Bytes at = head.subspan(place.Offset, expected.size());
    std::size_t foreign = 0, differ = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const char want = expected[i];
        const std::uint8_t got = at[i];
        differ += got != static_cast<std::uint8_t>(want) ? 1 : 0;
        const bool fits = IsDigit(static_cast<std::uint8_t>(want)) ? IsDigit(got)
                          : want == ' ' ? (got == ' ' || got == '\r' || got == '\n' || got == '\t')
                                        : got == static_cast<std::uint8_t>(want);
        foreign += fits ? 0 : 1;
    }
    if (differ == 0) {
        // The digits must be these too: only the spaces and "obj" are fixed.
        const std::size_t words = expected.size() - 3;
        finding.Check(place.Offset + words, place.Offset + expected.size());
        return Place::Exact;
    }
    return foreign > 0 && differ * 3 <= expected.size() ? Place::Damaged : Place::Astray;
}

// The filters a stream's dictionary names, when FlateDecode is the only one.
bool OnlyFlate(std::string_view dict) {
    if (dict.find("/FlateDecode") == std::string_view::npos) {
        return false;
    }
    for (const std::string_view other :
         {"/DCTDecode", "/ASCII85Decode", "/ASCIIHexDecode", "/LZWDecode", "/RunLengthDecode",
          "/CCITTFaxDecode", "/JBIG2Decode", "/JPXDecode", "/Crypt", "/DecodeParms", "/Fl ", "/AHx",
          "/A85"}) {
        if (dict.find(other) != std::string_view::npos) {
            return false;
        }
    }
    return true;
}

// The compressed stream of the object whose header starts at `offset`: its
// zlib data must decode and end with its own Adler-32.
void CheckStream(const FileView& file, std::uint64_t offset, Finding& finding) {
    const Bytes head = file.Head();
    const std::string_view text(reinterpret_cast<const char*>(head.data()) + offset,
                                std::min<std::size_t>(head.size() - offset, 4096));
    const std::size_t stream = text.find("stream");
    const std::size_t end = text.find("endobj");
    if (stream == std::string_view::npos || (end != std::string_view::npos && end < stream) ||
        !OnlyFlate(text.substr(0, stream))) {
        return;
    }
    std::uint64_t data = offset + stream + 6;
    if (data + 2 > head.size()) {
        return;
    }
    data += head[data] == '\r' && head[data + 1] == '\n' ? 2 : head[data] == '\n' ? 1 : 0;
    DeflateStream inflate(DeflateStream::Wrap::Zlib);
    if (inflate.Feed(head.subspan(data), 1024 * 1024) == DeflateStream::State::Broken) {
        finding.Break("compressed stream");
    } else if (inflate.state() == DeflateStream::State::Ended) {
        finding.Check(data, data + inflate.Consumed());
    }
}

bool Delimiter(std::uint8_t c) {
    return c == ' ' || c == '\r' || c == '\n' || c == '\t' || c == '\f' || c == '\0' || c == '>' ||
           c == '<' || c == ']' || c == '/';
}

// The keywords that close objects and streams, each between delimiters: one
// that misses by a single character is damage (a writer never misspells
// them); the exact ones are checked bytes.
bool KeywordDamaged(Bytes head, Finding& finding) {
    for (const std::string_view keyword :
         {std::string_view("endobj"), std::string_view("endstream")}) {
        const std::size_t n = keyword.size();
        for (std::size_t at = 1; at + n < head.size(); ++at) {
            if (!Delimiter(head[at - 1]) || !Delimiter(head[at + n])) {
                continue;
            }
            std::size_t differ = 0;
            for (std::size_t i = 0; i < n && differ < 2; ++i) {
                differ += head[at + i] != static_cast<std::uint8_t>(keyword[i]) ? 1 : 0;
            }
            if (differ == 1) {
                return true;
            }
            if (differ == 0) {
                finding.Check(at, at + n);
            }
        }
    }
    return false;
}

}  // namespace

bool LooksLikePdf(const FileView& file) {
    const Bytes head = file.Head().first(std::min<std::size_t>(file.Head().size(), 1024));
    const std::string_view text(reinterpret_cast<const char*>(head.data()), head.size());
    return text.find("%PDF-") != std::string_view::npos || PdfStartXref(file).has_value();
}

Finding CheckPdf(const FileView& file) {
    Finding finding = FindingFor("application/pdf");
    if (KeywordDamaged(file.Head(), finding)) {
        return finding.Break("keyword damaged");
    }
    const auto start = PdfStartXref(file);
    if (!start) {
        finding.State = finding.Checked.empty() ? Integrity::Unknown : Integrity::Intact;
        return finding;
    }
    const PdfXref xref = ReadPdfXref(file, *start);
    if (!xref.MalformedEntries.empty()) {
        return finding.Break("cross-reference entry layout");
    }
    const Bytes head = file.Head();
    for (const PdfObjectPlace& place : xref.Objects) {
        if (place.Offset >= head.size()) {
            continue;
        }
        const Place found = Look(head, place, finding);
        if (found == Place::Damaged) {
            return finding.Break("object header damaged");
        }
        if (found == Place::Exact && !xref.Encrypted) {
            CheckStream(file, place.Offset, finding);
            if (finding.Broken()) {
                return finding;
            }
        }
    }
    for (const ByteRange& range : xref.LayoutBytes) {
        finding.Check(range.Begin, range.End);
    }
    if (!xref.Objects.empty() || !finding.Checked.empty()) {
        finding.State = Integrity::Intact;
    }
    return finding;
}

}  // namespace quarnix::structure
