// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pictures drawn for Quarnix, loaded from the program's Qt resources.

#include <QCursor>
#include <QIcon>
#include <QPixmap>

namespace quarnix::assets {

// The padlock of the windows' title bars, at every size of the desktop's
// icon theme (16 x 16 to 256 x 256 pixels).
QIcon WindowIcon();

// A white letter i on a blue disc, 14 x 14 pixels.
QPixmap InformationPicture();

// A pointing hand, 32 x 32 pixels, black and white, its fingertip (6, 0) the hot spot.
QCursor HandCursor();
inline constexpr int HandCursorHotX = 6;
inline constexpr int HandCursorHotY = 0;

}  // namespace quarnix::assets
