// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's progress dialog: a line that says what the work is doing, a
// bar with its percentage and a "取消" button, kept above the main window.

#include <QDialog>
#include <functional>

#include "progress_display.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace quarnix {

class QtProgressDialog : public QDialog, public ProgressDisplay {
    Q_OBJECT
  public:
    // Shown at once above `owner`, which takes no input meanwhile (the work
    // keeps it still) but is not blocked by the dialog: a window blocked by a
    // modal one never hears of the window manager's requests to close it.
    // The button and Esc call `cancel`; the close box (Alt+F4) calls `close`,
    // which closes the owner as its own close box does. The dialog stays
    // open either way: it closes when it is deleted, once the work has ended.
    QtProgressDialog(QWidget* owner, const QString& title, std::function<void()> cancel,
                     std::function<void()> close);

    void Update(const QString& text, int percent) override;
    void DisableCancel() override;

    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    std::function<void()> cancel_;
    std::function<void()> close_;
    QLabel* phase_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
};

}  // namespace quarnix
