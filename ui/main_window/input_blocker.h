// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Keeps the user's mouse, keyboard and drops away from one window and its
// controls for as long as it lives, without greying anything out or moving
// the focus: the window stays as it is while work it handed over runs.

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace quarnix {

class InputBlocker : public QObject {
  public:
    explicit InputBlocker(QWidget* window);
    ~InputBlocker() override;

    InputBlocker(const InputBlocker&) = delete;
    InputBlocker& operator=(const InputBlocker&) = delete;

  protected:
    bool eventFilter(QObject* receiver, QEvent* event) override;

  private:
    QPointer<QWidget> window_;
};

}  // namespace quarnix
