// SPDX-License-Identifier: GPL-3.0-or-later
#include "frm_main.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>

#include "command_work.h"
#include "password_line_edit.h"
#include "picture_box.h"
#include "qt_modal_dialogs.h"
#include "ui/about_window/about_window_keeper.h"

namespace quarnix {

FrmMain::FrmMain(ModalDialogs* dialogs, FileOps* files, QWidget* parent)
    : QWidget(parent), dialogs_(dialogs), files_(files) {
    // Every text of the program is Chinese, whatever the system's locale: so
    // are the type names the shared MIME database gives (QMimeType::comment),
    // which the questions about a file's content quote.
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    if (dialogs_ == nullptr) {
        ownDialogs_ = std::make_unique<QtModalDialogs>(this);
        dialogs_ = ownDialogs_.get();
    }
    work_ = std::make_unique<CommandWork>(*this, *dialogs_);
    BuildControls();
    ConnectHandlers();
    AcceptFileDrops();
}

FrmMain::~FrmMain() {
    // The controls outlive this part of the window while QWidget deletes them;
    // no handler may run meanwhile.
    disconnect(TxtPass1, nullptr, this, nullptr);
    disconnect(TxtPass3, nullptr, this, nullptr);
}

void FrmMain::ConnectHandlers() {
    const auto whenSelected = [this](QRadioButton* option, void (FrmMain::*handler)()) {
        connect(option, &QRadioButton::toggled, this, [this, handler](bool selected) {
            if (selected) {
                (this->*handler)();
            }
        });
    };
    whenSelected(OptEncryptTask, &FrmMain::OptEncryptTask_Click);
    whenSelected(OptDecryptTask, &FrmMain::OptDecryptTask_Click);
    whenSelected(OptSecret, &FrmMain::OptSecret_Click);
    whenSelected(OptSecretter, &FrmMain::OptSecretter_Click);
    whenSelected(OptTopSecret, &FrmMain::OptTopSecret_Click);

    connect(cmdOpenFile, &QPushButton::clicked, this, &FrmMain::cmdOpenFile_Click);
    connect(PicInfor, &PictureBox::clicked, this, &FrmMain::PicInfor_Click);
    connect(TxtPass1, &PasswordLineEdit::lostFocus, this, &FrmMain::TxtPass1_LostFocus);
    connect(TxtPass3, &PasswordLineEdit::lostFocus, this, &FrmMain::TxtPass3_LostFocus);
    connect(CmdEncrypt, &QPushButton::clicked, this, &FrmMain::CmdEncrypt_Click);
    connect(CmdDecrypt, &QPushButton::clicked, this, &FrmMain::CmdDecrypt_Click);
    connect(CmdQuit, &QPushButton::clicked, this, &FrmMain::CmdQuit_Click);
}

void FrmMain::ApplyTaskCaptions(const texts::TaskCaptions& captions) {
    LblFileName->setText(texts::Q(captions.LblFileName));
    LblFileName->adjustSize();
    LblLevel->setText(texts::Q(captions.LblLevel));
    LblLevel->adjustSize();
    ChkBak->setText(texts::Q(captions.ChkBak));
    ChkMarkFile->setText(texts::Q(captions.ChkMarkFile));
}

void FrmMain::OptEncryptTask_Click() {
    ApplyTaskCaptions(texts::EncryptCaptions);
    CmdEncrypt->show();
    CmdDecrypt->hide();
}

void FrmMain::OptDecryptTask_Click() {
    ApplyTaskCaptions(texts::DecryptCaptions);
    CmdEncrypt->hide();
    CmdDecrypt->show();
}

// Hiding keeps the texts of the second pair; they come back at the top level.
void FrmMain::OptSecret_Click() {
    TxtPass3->hide();
    TxtPass4->hide();
    LblPass3->hide();
    LblPass4->hide();
}

// The middle level looks exactly like the low level.
void FrmMain::OptSecretter_Click() {
    OptSecret_Click();
}

void FrmMain::OptTopSecret_Click() {
    TxtPass3->show();
    TxtPass4->show();
    LblPass3->show();
    LblPass4->show();
}

void FrmMain::ChooseFile(const QString& path) {
    CmnOpenDialog.SetFileName(path);
    TxtFileName->setText(path);
    chosenPath_ = path;
}

void FrmMain::SelectTask(bool decrypt) {
    (decrypt ? OptDecryptTask : OptEncryptTask)->setChecked(true);
}

void FrmMain::SelectLevel(Level level) {
    switch (level) {
        case Level::Secret:
            OptSecret->setChecked(true);
            break;
        case Level::Secretter:
            OptSecretter->setChecked(true);
            break;
        case Level::TopSecret:
            OptTopSecret->setChecked(true);
            break;
    }
}

void FrmMain::PicInfor_Click() {
    AboutWindowKeeper::ForProgram().Open();
}

void FrmMain::CmdQuit_Click() {
    close();
}

bool FrmMain::eventFilter(QObject* watched, QEvent* event) {
    return TextBoxDrop(watched, event) || BrowseAccelerator(watched, event) ||
           QWidget::eventFilter(watched, event);
}

void FrmMain::closeEvent(QCloseEvent* event) {
    if (work_->Running()) {
        // Never leave the file half done: the window closes once the work has
        // ended and its outcome is shown. Work that can still be dropped is
        // stopped only when the user says so; past that point it is completed.
        event->ignore();
        if (closeAfterWork_) {
            return;
        }
        if (!work_->Committed()) {
            if (!dialogs_->AskYesNoDefaultNo(texts::Q(texts::CloseDuringWork),
                                             texts::Q(texts::CloseDuringWorkTitle))) {
                return;
            }
            work_->RequestCancel();
        }
        closeAfterWork_ = true;
        return;
    }
    QWidget::closeEvent(event);
}

}  // namespace quarnix
