// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How the window shows what a command answered: the message box's title and
// icon, and the password box it empties or gives the focus to. One scheme for
// the whole program: a missing file has the stop sign and "错误", an empty
// required password the exclamation mark and "错误", an entry to be typed
// again the exclamation mark and "警告", success no icon and the window's own
// title.

#include <QString>

#include "engine/crypt_request.h"
#include "modal_dialogs.h"

namespace quarnix {

// The window's password boxes, by the names of its layout.
enum class PasswordBox { None, TxtPass1, TxtPass2, TxtPass3, TxtPass4 };

struct OutcomePresentation {
    QString Title;  // empty: the window's own title
    MessageIcon Icon = MessageIcon::None;
    PasswordBox BoxToEmpty = PasswordBox::None;
    PasswordBox BoxToFocus = PasswordBox::None;
};

OutcomePresentation PresentationOf(const CommandOutcome& outcome);

}  // namespace quarnix
