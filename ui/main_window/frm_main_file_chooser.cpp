// SPDX-License-Identifier: GPL-3.0-or-later
// The file chooser behind cmdOpenFile: the only way to name the file of a request.

#include <QLineEdit>
#include <QRadioButton>

#include "frm_main.h"

namespace quarnix {

void FrmMain::cmdOpenFile_Click() {
    CmnOpenDialog.SetDialogTitle(
        texts::Q(OptEncryptTask->isChecked() ? texts::OpenTitleEncrypt : texts::OpenTitleDecrypt));
    CmnOpenDialog.SetFilter(texts::Q(texts::OpenFilter));
    CmnOpenDialog.ShowOpen(*dialogs_);

    // Whether the user chose a file or cancelled: a cancel after an earlier
    // choice writes that path back, a cancel before any choice empties both.
    ChooseFile(CmnOpenDialog.FileName());
    if (CmnOpenDialog.FileName().isEmpty()) {
        dialogs_->ShowMessage(texts::Q(texts::NoFileChosen), texts::Q(texts::ErrorTitle),
                              MessageIcon::Critical);
    }
}

}  // namespace quarnix
