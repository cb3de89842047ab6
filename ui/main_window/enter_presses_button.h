// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Enter on a focused command button presses it, as Space does, the way
// buttons answer on Windows. Qt's buttons outside a dialog take Space only.

#include <QObject>

class QPushButton;

namespace quarnix {

class EnterPressesButton : public QObject {
  public:
    // Takes Enter (and the keypad's Enter) on `button`; owned by it.
    static void Install(QPushButton* button);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    using QObject::QObject;
};

}  // namespace quarnix
