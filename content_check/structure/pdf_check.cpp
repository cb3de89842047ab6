// SPDX-License-Identifier: GPL-3.0-or-later
// PDF: the cross-reference data near the end of the file says at which
// offset each object starts with "N G obj". Where a head's bytes there keep
// the shape of those words with a few characters foreign to it, or an xref
// table in the head breaks its fixed layout, the head is broken. Offsets that
// merely miss their objects are left alone: many writers get them wrong.

#include <string>
#include <string_view>

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

}  // namespace

bool LooksLikePdf(const FileView& file) {
    const Bytes head = file.Head().first(std::min<std::size_t>(file.Head().size(), 1024));
    const std::string_view text(reinterpret_cast<const char*>(head.data()), head.size());
    return text.find("%PDF-") != std::string_view::npos || PdfStartXref(file).has_value();
}

Finding CheckPdf(const FileView& file) {
    Finding finding = FindingFor("application/pdf");
    const auto start = PdfStartXref(file);
    if (!start) {
        return finding;
    }
    const PdfXref xref = ReadPdfXref(file, *start);
    if (!xref.MalformedEntries.empty()) {
        return finding.Break("cross-reference entry layout");
    }
    const Bytes head = file.Head();
    for (const PdfObjectPlace& place : xref.Objects) {
        if (place.Offset < head.size() && Look(head, place, finding) == Place::Damaged) {
            return finding.Break("object header damaged");
        }
    }
    for (const ByteRange& range : xref.LayoutBytes) {
        finding.Check(range.Begin, range.End);
    }
    if (!xref.Objects.empty()) {
        finding.State = Integrity::Intact;
    }
    return finding;
}

}  // namespace quarnix::structure
