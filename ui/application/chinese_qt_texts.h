// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Qt's own texts in Chinese, whatever the user's locale: every text of the
// program is Chinese, so the buttons of its message boxes (确定, 是, 否), the
// file dialog and the context menus of its text boxes are Chinese too.

class QCoreApplication;

namespace quarnix {

// Loads Qt's Chinese translation (qtbase_zh_CN, from Qt's translations
// folder; Debian package qt6-translations-l10n) into `application` and makes
// Chinese (China) the default locale. False when the translation is not
// installed: Qt then keeps its English texts.
bool UseChineseQtTexts(QCoreApplication& application);

}  // namespace quarnix
