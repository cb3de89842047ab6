// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window's file-open dialog object (CmnOpenDialog). It lives as long
// as the window and keeps the file name it last returned: it opens with that
// name filled in, and a cancelled run leaves the name as it was.

#include <QString>

#include "modal_dialogs.h"

namespace quarnix {

class OpenFileDialog {
  public:
    void SetDialogTitle(const QString& title) { dialogTitle_ = title; }
    void SetFilter(const QString& filter) { filter_ = filter; }

    // Runs the dialog through `dialogs` and waits until the user closes it.
    void ShowOpen(ModalDialogs& dialogs);

    // Empty until the first file has been chosen.
    const QString& FileName() const { return fileName_; }

    // A file chosen without the dialog; the dialog opens with it next time.
    void SetFileName(const QString& fileName) { fileName_ = fileName; }

  private:
    QString dialogTitle_;
    QString filter_;
    QString fileName_;
};

}  // namespace quarnix
