// SPDX-License-Identifier: GPL-3.0-or-later
#include "outcome_presentation.h"

#include "main_window_texts.h"

namespace quarnix {

OutcomePresentation PresentationOf(const CommandOutcome& outcome) {
    const QString error = texts::Q(texts::ErrorTitle);
    const QString warning = texts::Q(texts::WarningTitle);
    // The first box of the password the outcome is about, and its repetition.
    const PasswordBox box = outcome.Password == 2 ? PasswordBox::TxtPass3 : PasswordBox::TxtPass1;
    const PasswordBox again = outcome.Password == 2 ? PasswordBox::TxtPass4 : PasswordBox::TxtPass2;
    switch (outcome.Kind) {
        case OutcomeKind::FileMissing:
            return {error, MessageIcon::Critical, PasswordBox::None, PasswordBox::None};
        case OutcomeKind::Password1Empty:
        case OutcomeKind::Password2Empty:
        case OutcomeKind::PasswordCharacterRefused:
        case OutcomeKind::PasswordTooLong:
            return {error, MessageIcon::Exclamation, PasswordBox::None, box};
        case OutcomeKind::Password1Mismatch:
        case OutcomeKind::Password2Mismatch:
            return {warning, MessageIcon::Exclamation, again, again};
        case OutcomeKind::BackupExists:
            return {error, MessageIcon::Exclamation, PasswordBox::None, PasswordBox::None};
        case OutcomeKind::EarlierWorkCompleted:
            return {QString(), MessageIcon::Exclamation, PasswordBox::None, PasswordBox::None};
        case OutcomeKind::Done:
        case OutcomeKind::WorkCancelled:
        case OutcomeKind::Cancelled:
        case OutcomeKind::ContentDeclined:
            return {QString(), MessageIcon::None, PasswordBox::None, PasswordBox::None};
        default:
            break;
    }
    // The failures of the file work.
    return {error, MessageIcon::Critical, PasswordBox::None, PasswordBox::None};
}

}  // namespace quarnix
