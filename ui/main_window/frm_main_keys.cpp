// SPDX-License-Identifier: GPL-3.0-or-later
// Alt+B, the window's one accelerator, pressed as a mouse click would press
// cmdOpenFile: the focus moves to the button first, so the box that was left
// is checked; when that check shows a message, the message takes the place
// of the click, as it takes the mouse button's release.

#include <QEvent>
#include <QPushButton>

#include "frm_main.h"

namespace quarnix {

bool FrmMain::BrowseAccelerator(QObject* watched, QEvent* event) {
    if (watched == cmdOpenFile && event->type() == QEvent::Shortcut) {
        cmdOpenFile_Accelerator();
        return true;
    }
    return false;
}

void FrmMain::cmdOpenFile_Accelerator() {
    const int shownBefore = leaveMessagesShown_;
    cmdOpenFile->setFocus(Qt::ShortcutFocusReason);
    if (leaveMessagesShown_ != shownBefore) {
        return;
    }
    cmdOpenFile->animateClick();  // down for a moment, then clicked
}

}  // namespace quarnix
