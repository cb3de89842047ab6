// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/about_window/link_label.h"

#include <QApplication>
#include <QMouseEvent>

#include "assets/quarnix_assets.h"

namespace quarnix {

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, LinkColour());
    setPalette(palette);
    setCursor(HandPointer());
}

QColor LinkLabel::LinkColour() {
    return QApplication::palette().color(QPalette::Active, QPalette::Highlight);
}

// A click is a press and a release of the left button, both over the label.
void LinkLabel::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    QLabel::mouseReleaseEvent(event);
    if (click) {
        emit clicked();
    }
}

QCursor HandPointer() {
    return assets::HandCursor();
}

}  // namespace quarnix
