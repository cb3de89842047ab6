#include "scripted_dialogs.h"

#include <QApplication>
#include <QPushButton>
#include <memory>

namespace quarnix::testing {

QList<ShownDialog> ScriptedDialogs::Messages() const {
    QList<ShownDialog> messages;
    for (const ShownDialog& dialog : shown_) {
        if (dialog.What == ShownDialog::Kind::Message) {
            messages.append(dialog);
        }
    }
    return messages;
}

void ScriptedDialogs::ShowMessage(const QString& text, const QString& title, OutcomeIcon icon) {
    Open(ShownDialog{ShownDialog::Kind::Message, text, title, icon, {}, {}});
}

bool ScriptedDialogs::AskYesNo(const QString& text, const QString& title) {
    Open(ShownDialog{ShownDialog::Kind::Question, text, title, OutcomeIcon::None, {}, {}});
    return yesNoAnswers_.isEmpty() ? true : yesNoAnswers_.takeFirst();
}

QString ScriptedDialogs::GetOpenFileName(const QString& title, const QString& filter,
                                         const QString& currentName) {
    Open(ShownDialog{
        ShownDialog::Kind::OpenFile, {}, title, OutcomeIcon::None, filter, currentName});
    return openFileAnswers_.isEmpty() ? QString() : openFileAnswers_.takeFirst();
}

void ScriptedDialogs::Open(const ShownDialog& dialog) {
    shown_.append(dialog);
    QWidget* const owner = QApplication::activeWindow();
    std::unique_ptr<QWidget> standIn;
    if (takeFocus_) {
        // A window with a button that takes the focus, as a message box's OK does.
        standIn = std::make_unique<QWidget>();
        auto* ok = new QPushButton(QStringLiteral("OK"), standIn.get());
        standIn->show();
        QApplication::setActiveWindow(standIn.get());
        ok->setFocus(Qt::ActiveWindowFocusReason);
    }
    if (WhileOpen) {
        WhileOpen(dialog);
    }
    if (standIn != nullptr) {
        standIn->hide();
        if (owner != nullptr) {
            QApplication::setActiveWindow(owner);
        }
    }
}

}  // namespace quarnix::testing
