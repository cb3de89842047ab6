// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Layout measures: the window is laid out in twips, 15 to a pixel.

#include <QRect>

namespace quarnix {

inline constexpr int TwipsPerPixel = 15;

// Rounded to the nearest pixel.
constexpr int Pixels(int twips) {
    return (twips * 2 + TwipsPerPixel) / (TwipsPerPixel * 2);
}

constexpr QRect TwipsRect(int left, int top, int width, int height) {
    return QRect(Pixels(left), Pixels(top), Pixels(width), Pixels(height));
}

}  // namespace quarnix
