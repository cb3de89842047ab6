// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's modal dialogs: QMessageBox, Qt's own file dialog and the
// progress dialog of long work.

#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "modal_dialogs.h"

namespace quarnix {

class QtModalDialogs : public ModalDialogs {
  public:
    // The dialogs are modal to `owner`, which may be null.
    explicit QtModalDialogs(QWidget* owner) : owner_(owner) {}

    void ShowMessage(const QString& text, const QString& title, MessageIcon icon) override;
    bool AskYesNo(const QString& text, const QString& title) override;
    bool AskYesNoDefaultNo(const QString& text, const QString& title) override;
    // The file-type entry the user picked last stays picked for the next
    // dialog, whether a file was chosen or not.
    QString GetOpenFileName(const QString& title, const QString& filter,
                            const QString& currentName) override;
    // A QtProgressDialog; it must be dropped before `owner` is deleted.
    std::unique_ptr<ProgressDisplay> OpenProgress(const QString& title,
                                                  std::function<void()> cancel,
                                                  std::function<void()> close) override;

  private:
    QPointer<QWidget> owner_;
    QString lastFileType_;  // the description of the entry, as the dialog shows it
};

// The dialogs as QtModalDialogs sets them up, before they are run.
std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* owner, const QString& text,
                                            const QString& title, MessageIcon icon);
std::unique_ptr<QMessageBox> MakeYesNoBox(
    QWidget* owner, const QString& text, const QString& title,
    QMessageBox::StandardButton defaultButton = QMessageBox::Yes);
// Qt's own dialog, not the desktop's: only there can the entry "*.*" be made
// to show every file while its description stays as written. `fileType` names
// the entry picked at the start; the first one when it is empty or unknown.
std::unique_ptr<QFileDialog> MakeOpenFileDialog(QWidget* owner, const QString& title,
                                                const QString& filter, const QString& currentName,
                                                const QString& fileType = QString());

}  // namespace quarnix
