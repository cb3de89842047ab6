// SPDX-License-Identifier: GPL-3.0-or-later
#include "password_checks.h"

#include "main_window_texts.h"

namespace quarnix {

std::optional<LeaveWarning> CheckPassword1OnLeave(const QString& password1) {
    if (password1.isEmpty()) {
        return LeaveWarning{texts::Q(texts::Password1Empty), texts::Q(texts::ErrorTitle), false};
    }
    return std::nullopt;
}

std::optional<LeaveWarning> CheckPassword2OnLeave(const QString& password2,
                                                  const QString& password1) {
    if (password2.isEmpty()) {
        return LeaveWarning{texts::Q(texts::Password2Empty), texts::Q(texts::ErrorTitle), false};
    }
    // Exact comparison: case-sensitive, nothing trimmed.
    if (password2 == password1) {
        return LeaveWarning{texts::Q(texts::Password2SameAsPassword1),
                            texts::Q(texts::WarningTitle), true};
    }
    if (password2.size() < MinimumPassword2Length) {
        return LeaveWarning{texts::Q(texts::Password2TooShort), texts::Q(texts::WarningTitle),
                            true};
    }
    return std::nullopt;
}

}  // namespace quarnix
