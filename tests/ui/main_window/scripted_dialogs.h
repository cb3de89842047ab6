#pragma once
// A stand-in for the main window's modal dialogs: it records every dialog the
// window opens and answers as the test told it, without a screen.

#include <QList>
#include <QString>
#include <functional>

#include "modal_dialogs.h"

namespace quarnix::testing {

struct ShownDialog {
    enum class Kind { Message, Question, OpenFile };
    Kind What = Kind::Message;
    QString Text;  // message or question; empty for the file dialog
    QString Title;
    OutcomeIcon Icon = OutcomeIcon::None;
    QString Filter;       // file dialog only
    QString CurrentName;  // file dialog only: the name it opened with
};

class ScriptedDialogs : public ModalDialogs {
  public:
    // Answers are used in the order given. With none left, a question is
    // answered Yes and a file dialog is cancelled.
    void AnswerYesNo(bool yes) { yesNoAnswers_.append(yes); }
    void AnswerOpenFile(const QString& path) { openFileAnswers_.append(path); }  // empty: cancel

    // Like a real modal box, a window of its own is made the active window
    // while a dialog is open, taking the focus from the main window.
    void TakeFocusWhileOpen(bool take) { takeFocus_ = take; }

    // Runs while a dialog is open, to look at the main window at that moment.
    std::function<void(const ShownDialog&)> WhileOpen;

    const QList<ShownDialog>& Shown() const { return shown_; }
    QList<ShownDialog> Messages() const;
    void Forget() { shown_.clear(); }

    void ShowMessage(const QString& text, const QString& title, OutcomeIcon icon) override;
    bool AskYesNo(const QString& text, const QString& title) override;
    QString GetOpenFileName(const QString& title, const QString& filter,
                            const QString& currentName) override;

  private:
    void Open(const ShownDialog& dialog);

    QList<ShownDialog> shown_;
    QList<bool> yesNoAnswers_;
    QList<QString> openFileAnswers_;
    bool takeFocus_ = false;
};

}  // namespace quarnix::testing
