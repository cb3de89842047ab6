// SPDX-License-Identifier: GPL-3.0-or-later
#include "input_blocker.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWindow>

namespace quarnix {

namespace {

// Everything by which a user changes a control. Hover and painting go on.
bool IsUserInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::InputMethod:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            return true;
        default:
            return false;
    }
}

}  // namespace

InputBlocker::InputBlocker(QWidget* window) : window_(window) {
    QCoreApplication::instance()->installEventFilter(this);
}

InputBlocker::~InputBlocker() {
    QCoreApplication::instance()->removeEventFilter(this);
}

bool InputBlocker::eventFilter(QObject* receiver, QEvent* event) {
    if (!IsUserInput(event->type()) || window_ == nullptr) {
        return false;
    }
    // What the window system delivers reaches the window's QWindow first:
    // stopped there, a click does not even move the focus.
    if (receiver->isWindowType()) {
        return receiver == window_->windowHandle();
    }
    // Events sent to the controls themselves. Dialogs owned by the window are
    // windows of their own and stay usable.
    if (!receiver->isWidgetType() || static_cast<QWidget*>(receiver)->window() != window_) {
        return false;
    }
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();  // taken here: no shortcut (Alt+B) fires either
    }
    return true;
}

}  // namespace quarnix
