// SPDX-License-Identifier: GPL-3.0-or-later
#include "password_line_edit.h"

#include <QFocusEvent>
#include <limits>

#include "control_styles.h"

namespace quarnix {

PasswordLineEdit::PasswordLineEdit(QWidget* parent) : QLineEdit(parent) {
    setStyle(&PasswordBoxStyle());
    setEchoMode(QLineEdit::Password);
    // After setEchoMode, which decides the attribute on its own.
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setInputMethodHints(Qt::ImhHiddenText | Qt::ImhSensitiveData | Qt::ImhNoPredictiveText);
    // A box cuts what is typed or pasted at its maximum length without a word;
    // the box keeps it whole, and the command refuses a password too long for
    // a key, as quarnix-cli does.
    setMaxLength(std::numeric_limits<int>::max());
}

void PasswordLineEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) {
        return;
    }
    if (!isVisible()) {
        return;
    }
    emit lostFocus();
}

}  // namespace quarnix
