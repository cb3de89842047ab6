// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// FrmMain, the program's start window. It holds everything a request is made
// of (the task, the file, the level, the passwords and two options) and hands
// it to the encrypt or decrypt command when the visible command button is
// pressed.

#include <QWidget>
#include <memory>

#include "command_work.h"
#include "engine/commands.h"
#include "main_window_texts.h"
#include "modal_dialogs.h"
#include "open_file_dialog.h"
#include "outcome_presentation.h"

class QButtonGroup;
class QCheckBox;
class QCloseEvent;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace quarnix {

class PasswordLineEdit;
class PictureBox;

class FrmMain : public QWidget {
    Q_OBJECT
  public:
    // Every modal dialog goes through `dialogs` (null: Qt's message boxes and
    // file dialog); `files` is handed to the commands (null: the real file
    // system). The window owns neither.
    explicit FrmMain(ModalDialogs* dialogs = nullptr, FileOps* files = nullptr,
                     QWidget* parent = nullptr);
    ~FrmMain() override;

    // The path last taken from the file chooser; the file the commands act on.
    const QString& ChosenPath() const { return chosenPath_; }

    // Chooses `path` exactly as if the file chooser's dialog had returned it:
    // the file named on the command line or dropped onto the window.
    void ChooseFile(const QString& path);

    // The task and the level named on the command line, selected as a click
    // on their option buttons selects them.
    void SelectTask(bool decrypt);
    void SelectLevel(Level level);

    // How long a command's work runs before its progress dialog opens (see
    // CommandWork::ShowProgressAfter).
    void SetProgressDelay(std::chrono::milliseconds delay) { work_->SetProgressDelay(delay); }

  protected:
    // While a command's file work runs, a close (the window manager's, Alt+F4,
    // or the progress dialog's close box, which closes this window) asks the
    // user whether to stop it (the file then stays as it was) and, on Yes,
    // closes the window once the work has ended and its outcome is shown. Once
    // the work can no longer be dropped, the window closes after it without
    // asking.
    void closeEvent(QCloseEvent* event) override;

    // Drops onto the window (frm_main_drop.cpp): one local file is chosen;
    // anything else changes nothing and a message says why.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // The controls' events the window takes: TextBoxDrop, BrowseAccelerator.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Building the window (frm_main_layout.cpp).
    void BuildControls();
    void SetTabOrder();
    void KeepOneTabStopPerOptionGroup();

    // Handlers, one per control event.
    void OptEncryptTask_Click();
    void OptDecryptTask_Click();
    void cmdOpenFile_Click();
    void cmdOpenFile_Accelerator();
    void OptSecret_Click();
    void OptSecretter_Click();
    void OptTopSecret_Click();
    void PicInfor_Click();
    void TxtPass1_LostFocus();
    void TxtPass3_LostFocus();
    void CmdEncrypt_Click();
    void CmdDecrypt_Click();
    void CmdQuit_Click();

    void ConnectHandlers();
    void AcceptFileDrops();
    // The parts of eventFilter; true when the event is taken.
    bool TextBoxDrop(QObject* watched, QEvent* event);        // frm_main_drop.cpp
    bool BrowseAccelerator(QObject* watched, QEvent* event);  // frm_main_keys.cpp
    void ApplyTaskCaptions(const texts::TaskCaptions& captions);
    CryptRequest BuildRequest() const;
    // Asks whether to go on when the file's content speaks against the work.
    bool ConfirmContent(const ContentPreview& preview);
    // Runs the command on the request with its progress and content question,
    // shows what comes back, and closes the window when asked to meanwhile.
    void RunAndShow(CommandWork::Command command, const CryptRequest& request,
                    const char16_t* rewriteText);
    void ShowOutcome(const CommandOutcome& outcome);
    QLineEdit* PasswordBoxNamed(PasswordBox box) const;

    ModalDialogs* dialogs_;
    std::unique_ptr<ModalDialogs> ownDialogs_;
    FileOps* files_;
    // Runs a command's file work off the user-interface thread (command_work.h).
    std::unique_ptr<CommandWork> work_;
    bool closeAfterWork_ = false;
    OpenFileDialog CmnOpenDialog;
    QString chosenPath_;
    // Set while a check on leaving a password box runs: the focus changes that
    // its message box and its own focus move cause are no leaves of their own.
    bool leaveCheckRunning_ = false;
    // How many messages the checks on leaving a password box have shown.
    int leaveMessagesShown_ = 0;

    // The controls, named as in the window's layout.
    QButtonGroup* TaskGroup = nullptr;   // OptEncryptTask, OptDecryptTask
    QButtonGroup* LevelGroup = nullptr;  // OptSecret, OptSecretter, OptTopSecret
    QGroupBox* Frame1 = nullptr;
    QRadioButton* OptEncryptTask = nullptr;
    QRadioButton* OptDecryptTask = nullptr;
    QLabel* LblFileName = nullptr;
    QLineEdit* TxtFileName = nullptr;
    QPushButton* cmdOpenFile = nullptr;
    QLabel* LblLevel = nullptr;
    QRadioButton* OptSecret = nullptr;
    QRadioButton* OptSecretter = nullptr;
    QRadioButton* OptTopSecret = nullptr;
    QLabel* Label11 = nullptr;
    PasswordLineEdit* TxtPass1 = nullptr;
    QLabel* Label12 = nullptr;
    PasswordLineEdit* TxtPass2 = nullptr;
    QLabel* LblPass3 = nullptr;
    PasswordLineEdit* TxtPass3 = nullptr;
    QLabel* LblPass4 = nullptr;
    PasswordLineEdit* TxtPass4 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QCheckBox* ChkBak = nullptr;
    QCheckBox* ChkMarkFile = nullptr;
    QPushButton* CmdEncrypt = nullptr;
    QPushButton* CmdQuit = nullptr;
    QPushButton* CmdDecrypt = nullptr;
    PictureBox* PicInfor = nullptr;
};

}  // namespace quarnix
