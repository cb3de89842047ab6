// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every modal dialog the main window opens goes through this interface: the
// message boxes, the decrypt confirmation, the question about a file's
// content, the file-open dialog and the progress dialog of long work. The program uses
// QtModalDialogs; tests hand the window a scripted stand-in.

#include <QString>
#include <functional>
#include <memory>

#include "progress_display.h"

namespace quarnix {

// The icon of a message box: the stop sign of an error, the exclamation mark
// of a warning, or none.
enum class MessageIcon { None, Critical, Exclamation };

class ModalDialogs {
  public:
    virtual ~ModalDialogs() = default;

    // A message box with an OK button only; MessageIcon::None shows no icon.
    virtual void ShowMessage(const QString& text, const QString& title, MessageIcon icon) = 0;

    // A question with Yes and No buttons, Yes the default and no icon; true for Yes.
    virtual bool AskYesNo(const QString& text, const QString& title) = 0;

    // The same with No the default, for going on against a warning.
    virtual bool AskYesNoDefaultNo(const QString& text, const QString& title) = 0;

    // A file-open dialog. `filter` holds description and pattern pairs, every
    // item separated from the next by "|" (see FileTypeFilter); `currentName`
    // is the file name the dialog opens with. Answers the chosen path, or an
    // empty text when the user cancelled.
    virtual QString GetOpenFileName(const QString& title, const QString& filter,
                                    const QString& currentName) = 0;

    // Shows the progress dialog above the main window until the answer is
    // dropped. On the user-interface thread, `cancel` is called whenever the
    // user asks to stop the work (its "取消" button or Esc) and `close` when
    // the user closes the dialog itself (its close box, Alt+F4).
    virtual std::unique_ptr<ProgressDisplay> OpenProgress(const QString& title,
                                                          std::function<void()> cancel,
                                                          std::function<void()> close) = 0;
};

}  // namespace quarnix
