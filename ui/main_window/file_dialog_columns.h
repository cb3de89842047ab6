// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The columns of Qt's file dialog in the program's language, whatever the
// user's locale: sizes and times written the Chinese way ("1,801 KB",
// "2024/3/8 14:05") and "文件夹" as the type of a folder. Qt takes sizes and
// times from the system's locale, and its Chinese translation has no word for
// a folder's type.

class QFileDialog;

namespace quarnix {

// Shows `dialog`'s files through Chinese columns, each wide enough for what
// it holds. Call once, after the dialog is set to its own widgets.
void ShowFileColumnsInChinese(QFileDialog& dialog);

}  // namespace quarnix
