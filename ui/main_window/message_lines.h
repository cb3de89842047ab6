// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The lines of a message box's text. Qt wraps a long line at the box's width
// and leaves whatever is over on a line of its own, often a lone "了。";
// lines broken here beforehand, of even widths and after punctuation where
// one is near, are each short enough that Qt does not wrap them again.

#include <QFontMetricsF>
#include <QString>

namespace quarnix {

// `text` with every line wider than `width` (as `metrics` measures it) broken
// into the fewest lines of about equal width, at places where a line may
// break (never inside a word, never before a closing mark); "\n" ends a line.
QString BalancedLines(const QString& text, const QFontMetricsF& metrics, qreal width);

}  // namespace quarnix
