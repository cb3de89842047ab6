// SPDX-License-Identifier: GPL-3.0-or-later
#include "assets/quarnix_assets.h"

namespace quarnix::assets {

QIcon WindowIcon() {
    QIcon icon;
    icon.addFile(QStringLiteral(":/quarnix/padlock_32.xpm"), QSize(32, 32));
    icon.addFile(QStringLiteral(":/quarnix/padlock_16.xpm"), QSize(16, 16));
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
