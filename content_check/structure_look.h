// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The checks of a format's own integrity data (structure/) run on one side of
// a preview: the file as it is, as the work would leave it, or as the
// opposite work would.

#include <QString>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "content_check/structure/file_view.h"
#include "engine/work_hooks.h"

namespace quarnix {

struct StructureLook {
    bool Intact = false;  // of a recognised format, every check held
    bool Broken = false;  // of a recognised format, a check failed
    // Intact, and checked so that a mistyped character of either password,
    // which changes one position in every period of its key array, would
    // have been seen.
    bool TypoRuledOut = false;
    // Intact, with at least a few dozen bytes checked, or with the format's
    // signature that the shared MIME database's content rules find too:
    // plainly of its format.
    bool Convincing = false;
    // Bytes checked, and held where other values would have passed too.
    std::uint64_t Evidence = 0;
    QString Description;  // the format's name, e.g. "PNG 图像"; empty when none
};

StructureLook LookAtStructure(const ContentPreview& preview, PreviewSide side);

// One side of the preview as the structure checks see it: its first bytes,
// and the rest through the preview's reader. Valid as long as the preview.
structure::FileView SideOf(const ContentPreview& preview, PreviewSide side);

// Evidence that makes a format plain on its own.
inline constexpr std::uint64_t PlainEvidence = 32;

// The same for other bytes of the preview's file: `head` its first ones (as
// many as the preview's), the rest through `read`.
using StructureReader = std::function<bool(std::uint64_t offset, std::span<std::uint8_t> bytes)>;
StructureLook LookAtStructure(const ContentPreview& preview, const std::vector<std::uint8_t>& head,
                              const StructureReader& read);

}  // namespace quarnix
