// SPDX-License-Identifier: GPL-3.0-or-later
// The hand-over of the window's state to the encrypt and decrypt commands, and
// the display of what they answer. The file work runs off the user-interface
// thread (CommandWork); the decrypt confirmation is asked here before it, the
// question about the file's content while the work waits for it.

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <utility>

#include "command_work.h"
#include "content_check/content_verdict.h"
#include "engine/outcome_texts.h"
#include "frm_main.h"
#include "outcome_presentation.h"
#include "password_line_edit.h"

namespace quarnix {

namespace {

// The box's text as the request's password, without a copy of it on the way.
std::u16string_view Text(const QLineEdit* box) {
    const QString& text = box->text();
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

}  // namespace

CryptRequest FrmMain::BuildRequest() const {
    CryptRequest request;
    // Only the path the file chooser returned counts, never the text box.
    request.FilePath = chosenPath_.toStdU16String();
    request.Level = OptTopSecret->isChecked()   ? Level::TopSecret
                    : OptSecretter->isChecked() ? Level::Secretter
                                                : Level::Secret;
    request.Password1 = Text(TxtPass1);
    request.Password1Confirm = Text(TxtPass2);
    request.Password2 = Text(TxtPass3);
    request.Password2Confirm = Text(TxtPass4);
    request.MakeBackup = ChkBak->isChecked();
    request.MarkFile = ChkMarkFile->isChecked();
    return request;
}

bool FrmMain::ConfirmContent(const ContentPreview& preview) {
    const ContentVerdict verdict = JudgeContent(preview);
    if (verdict.Concern == ContentConcern::None) {
        return true;
    }
    return dialogs_->AskYesNoDefaultNo(ConcernQuestion(verdict), QString::fromUtf16(ConcernTitle));
}

void FrmMain::CmdEncrypt_Click() {
    if (work_->Running()) {
        return;  // one command at a time, however the click came
    }
    RunAndShow(&EncryptCommand, BuildRequest(), texts::ProgressEncrypt);
}

void FrmMain::CmdDecrypt_Click() {
    if (work_->Running()) {
        return;
    }
    const CryptRequest request = BuildRequest();
    // The command's first step, asked here on the user-interface thread before
    // any check: No ends the command with nothing more shown.
    if (!dialogs_->AskYesNo(texts::Q(texts::DecryptConfirmationText),
                            texts::Q(texts::DecryptConfirmationTitle))) {
        return;
    }
    RunAndShow(&DecryptCommand, request, texts::ProgressDecrypt);
}

void FrmMain::RunAndShow(CommandWork::Command command, const CryptRequest& request,
                         const char16_t* rewriteText) {
    const auto run = [&](const CryptRequest& given) {
        return work_->Run(
            command, given, files_, texts::Q(rewriteText),
            [this](const ContentPreview& preview) { return ConfirmContent(preview); });
    };
    CommandOutcome outcome = run(request);
    if (outcome.Kind == OutcomeKind::BackupExists && !closeAfterWork_) {
        // The command stopped before anything was written: ask, and run it
        // again allowing the old backup to be replaced. No leaves it at that.
        // What it set right of an interrupted earlier run is said either way.
        const std::u16string settled = outcome.Settled;
        const std::u16string backup = BackupPath(request.FilePath, command == &EncryptCommand);
        if (dialogs_->AskYesNoDefaultNo(
                u'“' + QString::fromStdU16String(backup) + texts::Q(texts::ReplaceBackupQuestion),
                texts::Q(texts::ReplaceBackupTitle))) {
            CryptRequest replacing = request;
            replacing.ReplaceBackup = true;
            outcome = run(replacing);
        } else {
            outcome = FixedOutcome(OutcomeKind::Cancelled);  // nothing more to show
        }
        outcome.Message = settled + outcome.Message;
    }
    ShowOutcome(outcome);
    if (std::exchange(closeAfterWork_, false)) {
        close();
    }
}

QLineEdit* FrmMain::PasswordBoxNamed(PasswordBox box) const {
    switch (box) {
        case PasswordBox::TxtPass1:
            return TxtPass1;
        case PasswordBox::TxtPass2:
            return TxtPass2;
        case PasswordBox::TxtPass3:
            return TxtPass3;
        case PasswordBox::TxtPass4:
            return TxtPass4;
        case PasswordBox::None:
            break;
    }
    return nullptr;
}

void FrmMain::ShowOutcome(const CommandOutcome& outcome) {
    if (outcome.Message.empty()) {
        return;  // the user declined a question: nothing more to show
    }
    const OutcomePresentation shown = PresentationOf(outcome);
    dialogs_->ShowMessage(QString::fromStdU16String(outcome.Message),
                          shown.Title.isEmpty() ? windowTitle() : shown.Title, shown.Icon);
    if (QLineEdit* box = PasswordBoxNamed(shown.BoxToEmpty)) {
        box->clear();
    }
    // A hidden box is never given the focus.
    if (QLineEdit* box = PasswordBoxNamed(shown.BoxToFocus); box != nullptr && box->isVisible()) {
        box->setFocus();
    }
}

}  // namespace quarnix
