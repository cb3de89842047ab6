// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The three protection levels. A level decides the passes of the file format
// (cipher.h), whether password 2 is used (TopSecret only) and the marker in
// an encrypted file's name (level_marker.h).

namespace quarnix {

enum class Level { Secret, Secretter, TopSecret };

}  // namespace quarnix
