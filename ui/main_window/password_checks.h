// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The advisory checks made when the user leaves the box of password 1 or of
// password 2. They look only at the texts handed in and keep no state.

#include <QString>
#include <optional>

namespace quarnix {

// A problem found on leaving a box: shown with the exclamation icon and an OK button.
struct LeaveWarning {
    QString Message;
    QString Title;
    // Password 2 only: empty its box and give it the focus once the message is closed.
    bool ClearAndRefocus = false;
};

// Leaving TxtPass1: an empty password 1 is reported, nothing more.
std::optional<LeaveWarning> CheckPassword1OnLeave(const QString& password1);

// Leaving TxtPass3: the engine's advice on password 2 (AdviseOnPassword2).
std::optional<LeaveWarning> CheckPassword2OnLeave(const QString& password2,
                                                  const QString& password1);

}  // namespace quarnix
