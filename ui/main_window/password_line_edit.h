// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A password box of the main window: shows every character as "*", takes keys
// as typed (no input method), and tells when the user leaves it.

#include <QLineEdit>

namespace quarnix {

class PasswordLineEdit : public QLineEdit {
    Q_OBJECT
  public:
    explicit PasswordLineEdit(QWidget* parent);

  signals:
    // The focus went to another control of the window while the box was shown.
    // Not sent when the window itself loses the focus (another window or a
    // message box became active, the window closed), nor when a context menu
    // opens, nor when the box loses the focus because it is being hidden.
    void lostFocus();

  protected:
    void focusOutEvent(QFocusEvent* event) override;
};

}  // namespace quarnix
