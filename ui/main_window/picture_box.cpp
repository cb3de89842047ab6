// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture_box.h"

#include <QMouseEvent>

namespace quarnix {

PictureBox::PictureBox(QWidget* parent) : QLabel(parent) {
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    // Accepted, so that the release comes back to this picture.
    event->setAccepted(event->button() == Qt::LeftButton);
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    if (rect().contains(event->position().toPoint())) {
        emit clicked();
    }
}

}  // namespace quarnix
