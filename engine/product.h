// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's name and version, shown by both windows and the command-line tool.

#include "engine/version.h"  // generated from engine/version.h.in

namespace quarnix {

inline constexpr char16_t ProductName[] = u"Quarnix";

}  // namespace quarnix
