// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A shown FrmMain driven by real events, its modal dialogs answered by a
// scripted stand-in that records what the window showed; and small helpers
// for the files the tests work on.

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <functional>
#include <memory>

#include "frm_main.h"

namespace quarnix::testing {

struct ShownDialog {
    QString Kind;  // "message", "question", "caution" (No the default), "open" or "progress"
    QString Text;
    QString Title;
    MessageIcon Icon = MessageIcon::None;
    QString Filter;       // "open" only
    QString CurrentName;  // "open" only: the name the dialog opened with
};

// The progress dialog as the window showed it, and the user's hand on it.
struct ProgressScript {
    bool Open = false;
    QStringList Texts;  // every text shown, in order, each repeat once
    int Percent = 0;
    bool CancelDisabled = false;
    std::function<void()> Cancel;    // presses "取消" while the dialog is open
    std::function<void()> Close;     // the dialog's close box while it is open
    std::function<void()> WhenOpen;  // runs from the event loop once the dialog is open
    // Shows the program's own dialog as well, above `Owner`, so that the
    // window system's requests meet what the user would see.
    bool Shown = false;
    QWidget* Owner = nullptr;
    QWidget* ShownDialog = nullptr;  // while open, when Shown
};

class ScriptedDialogs : public ModalDialogs {
  public:
    QList<ShownDialog> Log;
    QList<bool> YesNo;       // answers to both kinds of question in order; Yes when none is left
    QStringList Files;       // answers in order, "" cancels; a cancel when none is left
    bool TakeFocus = false;  // a window of its own takes the focus while open, as a box does
    std::function<void()> WhileOpen;  // looks at the main window while a dialog is open
    ProgressScript Progress;

    QStringList Messages() const;

    void ShowMessage(const QString& text, const QString& title, MessageIcon icon) override;
    bool AskYesNo(const QString& text, const QString& title) override;
    bool AskYesNoDefaultNo(const QString& text, const QString& title) override;
    QString GetOpenFileName(const QString& title, const QString& filter,
                            const QString& currentName) override;
    std::unique_ptr<ProgressDisplay> OpenProgress(const QString& title,
                                                  std::function<void()> cancel,
                                                  std::function<void()> close) override;

  private:
    void Open(const ShownDialog& dialog);
};

struct Driver {
    ScriptedDialogs Dialogs;
    std::unique_ptr<FrmMain> Window;

    explicit Driver(FileOps* files = nullptr);  // null: the real file system

    template <typename Control = QWidget>
    Control* Find(const char* name) const {
        auto* control = Window->findChild<Control*>(QString::fromLatin1(name));
        if (control == nullptr) {
            qFatal("no control named %s", name);
        }
        return control;
    }
    QLineEdit* Box(const char* name) const { return Find<QLineEdit>(name); }

    void Click(const char* name) const;                      // a left click on a shown control
    void Type(const char* name, const QString& text) const;  // clicks the box first
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const;
    void ChooseFile(const QString& path);  // "" cancels the dialog
    QString Focus() const;
    // A request to close `window` as the window manager sends it (its close
    // box, Alt+F4): through the window system, where Qt drops the requests
    // to windows that a modal one blocks.
    static void WindowManagerClose(QWidget* window);
};

// The content of a sample file of `size` bytes.
QByteArray Sample(int size);
bool Write(const QString& path, const QByteArray& bytes);
QByteArray Read(const QString& path);  // empty when the file cannot be read

}  // namespace quarnix::testing
