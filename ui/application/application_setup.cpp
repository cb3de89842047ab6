// SPDX-License-Identifier: GPL-3.0-or-later
#include "application_setup.h"

#include <QApplication>

#include "alt_key_guard.h"
#include "chinese_qt_texts.h"
#include "engine/product.h"
#include "fixed_size_windows.h"

namespace quarnix {

void SetUpApplication(QApplication& application) {
    QApplication::setApplicationName(QString::fromUtf16(ProductName));
    UseChineseQtTexts(application);
    InstallAltKeyGuard(application);
    InstallFixedSizeWindows(application);
}

}  // namespace quarnix
