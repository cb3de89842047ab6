// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's name and version, shown by both windows and the command-line tool.

namespace quarnix {

inline constexpr char16_t ProductName[] = u"Quarnix";
inline constexpr char16_t ApplicationTitle[] = u"Quarnix 3.3";
inline constexpr int VersionMajor = 3;
inline constexpr int VersionMinor = 3;
inline constexpr int VersionRevision = 63;

}  // namespace quarnix
