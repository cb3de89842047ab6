// SPDX-License-Identifier: GPL-3.0-or-later
#include "alt_key_guard.h"

#include <QAbstractSpinBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace quarnix {

namespace {

bool IsTextBox(const QObject* receiver) {
    return qobject_cast<const QLineEdit*>(receiver) != nullptr ||
           qobject_cast<const QPlainTextEdit*>(receiver) != nullptr ||
           qobject_cast<const QTextEdit*>(receiver) != nullptr ||
           qobject_cast<const QAbstractSpinBox*>(receiver) != nullptr;
}

// Alt with a key that types a character. Ctrl+Alt is left alone: some
// keyboards type characters with AltGr, which arrives as Ctrl+Alt.
bool TypesWithAlt(const QKeyEvent& key) {
    const Qt::KeyboardModifiers held = key.modifiers();
    if (!held.testFlag(Qt::AltModifier) || held.testFlag(Qt::ControlModifier) ||
        held.testFlag(Qt::MetaModifier)) {
        return false;
    }
    const QString text = key.text();
    return !text.isEmpty() && text.front().isPrint();
}

}  // namespace

bool AltKeyGuard::eventFilter(QObject* receiver, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !IsTextBox(receiver)) {
        return false;
    }
    return TypesWithAlt(*static_cast<QKeyEvent*>(event));
}

void InstallAltKeyGuard(QCoreApplication& application) {
    application.installEventFilter(new AltKeyGuard(&application));
}

}  // namespace quarnix
