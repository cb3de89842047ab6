// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The level marker that an encryption left in a file's name, read back.

#include <optional>
#include <string>
#include <string_view>

#include "engine/crypt_request.h"

namespace quarnix {

// The level whose marker stands last in the file name of `path` (the marker
// the latest encryption put in place of the name's last dot); nullopt when
// the file name holds none. Folder names do not count.
std::optional<Level> MarkedLevel(std::u16string_view path);

// The file name of `path` with that marker turned back into a dot:
// "a(秘密).pdf" gives "a.pdf". The file name unchanged when it holds none.
std::u16string NameWithoutMarker(std::u16string_view path);

}  // namespace quarnix
