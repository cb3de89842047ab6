// SPDX-License-Identifier: GPL-3.0-or-later
// The checks made when the user leaves the box of password 1 or of password 2.

#include <QAbstractButton>
#include <QApplication>
#include <QPointer>
#include <QScopedValueRollback>

#include "frm_main.h"
#include "password_checks.h"
#include "password_line_edit.h"

namespace quarnix {

namespace {

// A check runs when a mouse press moves the focus, before the press reaches
// the control clicked. The message box takes the release, so the control would
// stay pressed down; once the press has arrived, let go of it without a click.
void LetGoOfAnInterruptedClick(FrmMain* window, QWidget* clicked) {
    QPointer<QAbstractButton> button = qobject_cast<QAbstractButton*>(clicked);
    if (button.isNull()) {
        return;
    }
    QMetaObject::invokeMethod(
        window,
        [button] {
            if (!button.isNull() && button->isDown() &&
                QGuiApplication::mouseButtons() == Qt::NoButton) {
                button->setDown(false);
            }
        },
        Qt::QueuedConnection);
}

}  // namespace

// One leave, at most one message: while a check runs, the focus changes caused
// by its message box and by its own move back to TxtPass3 are not leaves.
void FrmMain::TxtPass1_LostFocus() {
    if (leaveCheckRunning_) {
        return;
    }
    const QScopedValueRollback<bool> running(leaveCheckRunning_, true);
    if (const auto warning = CheckPassword1OnLeave(TxtPass1->text())) {
        QWidget* const goingTo = QApplication::focusWidget();
        ++leaveMessagesShown_;
        dialogs_->ShowMessage(warning->Message, warning->Title, MessageIcon::Exclamation);
        LetGoOfAnInterruptedClick(this, goingTo);
    }
}

void FrmMain::TxtPass3_LostFocus() {
    if (leaveCheckRunning_) {
        return;
    }
    const QScopedValueRollback<bool> running(leaveCheckRunning_, true);
    const auto warning = CheckPassword2OnLeave(TxtPass3->text(), TxtPass1->text());
    if (!warning) {
        return;
    }
    QWidget* const goingTo = QApplication::focusWidget();
    ++leaveMessagesShown_;
    dialogs_->ShowMessage(warning->Message, warning->Title, MessageIcon::Exclamation);
    LetGoOfAnInterruptedClick(this, goingTo);
    if (warning->ClearAndRefocus) {
        TxtPass3->clear();
        // A box hidden meanwhile (a lower level was chosen) is not given the focus.
        if (TxtPass3->isVisible()) {
            TxtPass3->setFocus();
        }
    }
}

}  // namespace quarnix
