// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The level marker in file names: "(秘密)." and its kin stand in place of the
// dot before the extension of an encrypted file's path.

#include <string>
#include <string_view>

#include "engine/format/level.h"

namespace quarnix {

// "(秘密).", "(机密)." or "(绝密)."
std::u16string_view LevelMarker(Level level);

// The path with the level's marker in place of its last dot (unchanged when it
// has no dot). Works on the whole path, so a dot in a folder name counts too.
std::u16string MarkFileName(std::u16string_view path, Level level);

// The path with the first occurrence of the level's marker replaced by "."
// (unchanged when the marker does not occur).
std::u16string UnmarkFileName(std::u16string_view path, Level level);

// The same two rules applied to the path's last part only, the file's own
// name; its folders stay as they are.
std::u16string MarkLastPart(std::u16string_view path, Level level);
std::u16string UnmarkLastPart(std::u16string_view path, Level level);

}  // namespace quarnix
