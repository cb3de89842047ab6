// SPDX-License-Identifier: GPL-3.0-or-later
#include "password_checks.h"

#include "engine/password_advice.h"
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
    const auto view = [](const QString& text) {
        return std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                   static_cast<std::size_t>(text.size()));
    };
    const Password2Advice advice = AdviseOnPassword2(view(password2), view(password1));
    if (advice == Password2Advice::None) {
        return std::nullopt;
    }
    const std::u16string_view text = Password2AdviceText(advice);
    const QString message = QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
    // An empty box is only reported; a password to be typed again is cleared.
    if (advice == Password2Advice::Empty) {
        return LeaveWarning{message, texts::Q(texts::ErrorTitle), false};
    }
    return LeaveWarning{message, texts::Q(texts::WarningTitle), true};
}

}  // namespace quarnix
