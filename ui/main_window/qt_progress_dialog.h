// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's progress dialog: a line that says what the work is doing, a
// bar with its percentage and a "取消" button, modal to the main window.

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
    // Shown at once, window-modal to `owner`. Every way of closing it (the
    // button, Esc, the close box) calls `cancel` and leaves it open: it
    // closes when it is deleted, once the work has ended.
    QtProgressDialog(QWidget* owner, const QString& title, std::function<void()> cancel);

    void Update(const QString& text, int percent) override;
    void DisableCancel() override;

    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    std::function<void()> cancel_;
    QLabel* phase_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
};

}  // namespace quarnix
