// SPDX-License-Identifier: GPL-3.0-or-later
#include "structure_look.h"

#include <QByteArrayView>
#include <QMimeDatabase>

#include "content_check/structure/format_registry.h"
#include "promised_type.h"

namespace quarnix {
namespace {

const std::vector<std::uint8_t>& Head(const ContentPreview& preview, PreviewSide side) {
    switch (side) {
        case PreviewSide::Current:
            return preview.Current;
        case PreviewSide::Result:
            return preview.Result;
        case PreviewSide::Undone:
            break;
    }
    return preview.Undone;
}

// Whether every class of positions that a character of a password of this
// key period touches holds a checked byte. Window position j meets element
// (j + 1) mod period of the array; the last element, 0, comes from no
// character.
bool Covered(const structure::Finding& finding, std::uint64_t length, std::uint64_t period) {
    return period < 2 || structure::CoversEveryClass(finding, length, period, period - 2);
}

// Whether the database's content rules find the format in `head` too.
bool DatabaseAgrees(const std::vector<std::uint8_t>& head, const QMimeType& format) {
    const SeenContent seen = See(QByteArrayView(head.data(), static_cast<qsizetype>(head.size())));
    return format.isValid() && seen.Ruled.contains(format.name());
}

// The rest of one side of the preview, past its first bytes.
StructureReader ReaderOf(const ContentPreview& preview, PreviewSide side) {
    if (!preview.ReadAt) {
        return {};
    }
    return [&preview, side](std::uint64_t offset, std::span<std::uint8_t> bytes) {
        return preview.ReadAt(side, offset, bytes);
    };
}

}  // namespace

structure::FileView SideOf(const ContentPreview& preview, PreviewSide side) {
    return structure::FileView(Head(preview, side), preview.FileLength, ReaderOf(preview, side));
}

StructureLook LookAtStructure(const ContentPreview& preview, PreviewSide side) {
    return LookAtStructure(preview, Head(preview, side), ReaderOf(preview, side));
}

StructureLook LookAtStructure(const ContentPreview& preview, const std::vector<std::uint8_t>& head,
                              const StructureReader& read) {
    if (head.empty()) {
        return {};
    }
    const structure::FileView file(head, preview.FileLength, read);
    const structure::Finding finding = structure::CheckStructure(file);
    StructureLook look;
    look.Intact = finding.Intact();
    look.Broken = finding.Broken();
    const std::uint64_t two = preview.Level == Level::TopSecret ? preview.Password2Period : 0;
    look.TypoRuledOut = look.Intact && Covered(finding, head.size(), preview.Password1Period) &&
                        Covered(finding, head.size(), two);
    if (finding.Format.empty()) {
        return look;
    }
    const QMimeType type = QMimeDatabase().mimeTypeForName(
        QString::fromLatin1(finding.Format.data(), static_cast<qsizetype>(finding.Format.size())));
    look.Description = type.isValid() ? type.comment() : QString();
    look.Evidence = structure::CheckedBytes(finding, head.size()) + finding.Held;
    look.Convincing = look.Intact && (look.Evidence >= PlainEvidence || DatabaseAgrees(head, type));
    return look;
}

}  // namespace quarnix
