// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The checks of a format's own integrity data (structure/) run on one side of
// a preview: the file as it is, as the work would leave it, or as the
// opposite work would.

#include <QString>

#include "engine/work_hooks.h"

namespace quarnix {

struct StructureLook {
    bool Intact = false;  // of a recognised format, every check held
    bool Broken = false;  // of a recognised format, a check failed
    // Intact, and checked so that a mistyped character of either password,
    // which changes one position in every period of its key array, would
    // have been seen.
    bool TypoRuledOut = false;
    // Intact, with at least a few dozen bytes checked: plainly of its format.
    bool Convincing = false;
    QString Description;  // the format's name, e.g. "PNG 图像"; empty when none
};

StructureLook LookAtStructure(const ContentPreview& preview, PreviewSide side);

}  // namespace quarnix
