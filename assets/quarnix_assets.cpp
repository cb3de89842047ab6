// SPDX-License-Identifier: GPL-3.0-or-later
#include "assets/quarnix_assets.h"

#include <QDir>

namespace quarnix::assets {

QIcon WindowIcon() {
    QIcon icon;
    const QDir pictures(QStringLiteral(":/quarnix/window-icon"));
    for (const QString& name : pictures.entryList(QDir::Files)) {
        icon.addFile(pictures.filePath(name));  // the size is the picture's own
    }
    return icon;
}

QPixmap InformationPicture() {
    return QPixmap(QStringLiteral(":/quarnix/information_14.xpm"));
}

QCursor HandCursor() {
    return QCursor(QPixmap(QStringLiteral(":/quarnix/hand_pointer_32.xpm")), HandCursorHotX,
                   HandCursorHotY);
}

}  // namespace quarnix::assets
