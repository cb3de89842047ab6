// SPDX-License-Identifier: GPL-3.0-or-later
#include "enter_presses_button.h"

#include <QKeyEvent>
#include <QPushButton>

namespace quarnix {

void EnterPressesButton::Install(QPushButton* button) {
    button->installEventFilter(new EnterPressesButton(button));
}

bool EnterPressesButton::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    const auto* key = static_cast<const QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (!enter || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        return false;
    }
    auto* button = static_cast<QPushButton*>(watched);
    // A held key presses once; a disabled button ignores it, as it ignores Space.
    if (!key->isAutoRepeat() && button->isEnabled()) {
        button->animateClick();  // down for a moment, then clicked
    }
    return true;
}

}  // namespace quarnix
