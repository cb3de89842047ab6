// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The level marker in file names: "(秘密)." and its kin stand in place of the
// dot before the extension of an encrypted file's path.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "engine/format/level.h"

namespace quarnix {

// "(秘密).", "(机密)." or "(绝密)."
std::u16string_view LevelMarker(Level level);

// The path with the level's marker in place of its last dot (unchanged when it
// has no dot). Works on the whole path, so a dot in a folder name counts too.
std::u16string MarkFileName(std::u16string_view path, Level level);

// Where a decryption at `level` finds the level's marker in `text`: its
// first occurrence. The one rule by which markers are read back.
std::optional<std::size_t> FindMarker(std::u16string_view text, Level level);

// The path with the marker FindMarker finds replaced by "." (unchanged when
// the marker does not occur).
std::u16string UnmarkFileName(std::u16string_view path, Level level);

// The same two rules applied to the path's last part only, the file's own
// name; its folders stay as they are.
std::u16string MarkLastPart(std::u16string_view path, Level level);
std::u16string UnmarkLastPart(std::u16string_view path, Level level);

// The level whose marker the path's last part carries: of the levels whose
// marker FindMarker finds there, the one found last, as each encryption puts
// its marker after any earlier one's. Nullopt for none; folders do not count.
std::optional<Level> MarkedLevel(std::u16string_view path);

// The path's last part with every marker taken out, one after the other,
// until none is left: "a(秘密)(机密).doc" gives "a.doc", the name whose
// extension says what the content is.
std::u16string NameWithoutMarkers(std::u16string_view path);

}  // namespace quarnix
