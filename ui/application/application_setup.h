// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the program sets up once, before its first window opens.

class QApplication;

namespace quarnix {

// The program's name, Qt's own texts in Chinese and Alt+letter kept out of
// text boxes, fixed-size windows kept at their size, for every window of
// `application`.
void SetUpApplication(QApplication& application);

}  // namespace quarnix
