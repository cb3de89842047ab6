// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The progress dialog of long file work: the phase in words, a percentage and
// a "取消" button. The window opens it through ModalDialogs::OpenProgress once
// the work has lasted a while, and closes it by dropping it.

#include <QString>

namespace quarnix {

class ProgressDisplay {
  public:
    virtual ~ProgressDisplay() = default;  // closes the dialog

    // What the work is doing now, and how far it is with that, 0 to 100;
    // a negative percentage: it cannot tell (a busy bar).
    virtual void Update(const QString& text, int percent) = 0;

    // The cancel request has been taken: the button no longer does anything.
    virtual void DisableCancel() = 0;
};

}  // namespace quarnix
