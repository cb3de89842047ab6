// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The arrow keys within an option group, as on Windows: Right and Down select
// the next option of the group, Left and Up the one before, wrapping around at
// either end, and the focus goes with the selection.

#include <QObject>

class QButtonGroup;

namespace quarnix {

class OptionGroupKeys : public QObject {
  public:
    // Takes the arrow keys of every option in `group`, in the order the group
    // holds them; owned by `group`.
    static void Install(QButtonGroup* group);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    explicit OptionGroupKeys(QButtonGroup* group);

    QButtonGroup* group_;
};

}  // namespace quarnix
