// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A mistyped character of the password that steers a rotation (Secretter's
// password 1, TopSecret's password 2) moves the whole result: it then shows
// neither the file's format nor a typo's trace, and looks like content of no
// known kind. The look tries the rotations that such a typo would have given
// (ContentPreview::ReadRotated); under the right one the file comes out whole
// but for one class of positions, and its format shows by its signature and
// its own checks.

#include <optional>

#include "structure_look.h"

namespace quarnix {

// The look at the result under the first other rotation that holds a
// format's signature, with that format's checks speaking (a signature of
// three bytes only with the format intact by plenty of evidence); nullopt when none does.
std::optional<StructureLook> FormatUnderTypoRotation(const ContentPreview& preview);

}  // namespace quarnix
