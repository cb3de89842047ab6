// SPDX-License-Identifier: GPL-3.0-or-later
#include "open_file_dialog.h"

namespace quarnix {

void OpenFileDialog::ShowOpen(ModalDialogs& dialogs) {
    const QString chosen = dialogs.GetOpenFileName(dialogTitle_, filter_, fileName_);
    if (!chosen.isEmpty()) {
        fileName_ = chosen;
    }
}

}  // namespace quarnix
