// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt_progress_dialog.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "enter_presses_button.h"
#include "main_window_texts.h"

namespace quarnix {

QtProgressDialog::QtProgressDialog(QWidget* owner, const QString& title,
                                   std::function<void()> cancel, std::function<void()> close)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint),
      cancel_(std::move(cancel)),
      close_(std::move(close)) {
    setWindowTitle(title);

    phase_ = new QLabel(this);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, 100);
    bar_->setMinimumWidth(280);
    cancelButton_ = new QPushButton(texts::Q(texts::ProgressCancel), this);
    cancelButton_->setAutoDefault(false);
    EnterPressesButton::Install(cancelButton_);
    connect(cancelButton_, &QPushButton::clicked, this, &QtProgressDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancelButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(phase_);
    layout->addWidget(bar_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    show();
}

void QtProgressDialog::Update(const QString& text, int percent) {
    phase_->setText(text);
    bar_->setRange(0, percent < 0 ? 0 : 100);
    bar_->setValue(percent < 0 ? 0 : percent);
}

void QtProgressDialog::DisableCancel() {
    cancelButton_->setEnabled(false);
}

// The button and Esc: ask the work to stop; the dialog stays until it has.
void QtProgressDialog::reject() {
    if (cancel_) {
        cancel_();
    }
}

// The close box: as closing the main window, which asks before it stops the work.
void QtProgressDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (close_) {
        close_();
    }
}

}  // namespace quarnix
