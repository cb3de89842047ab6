// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Keeps the program's fixed-size windows (the main window, the About window,
// the progress dialog, the message boxes) usable as Wayland clients. There Qt
// draws the title bar itself, with a maximise button even on a window of
// fixed size, and the compositor ends a program whose window does not take
// the maximised size it was given. So on Wayland the window system may give
// such a window any size, while the window itself keeps its own: it is put
// back to normal when maximised or made full-screen, and back to its size when
// stretched. Elsewhere nothing changes.

#include <QObject>

class QCoreApplication;

namespace quarnix {

class FixedSizeWindows : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* receiver, QEvent* event) override;
};

// Installs the guard for every window of `application` when it runs on
// Wayland, owned by `application`.
void InstallFixedSizeWindows(QCoreApplication& application);

}  // namespace quarnix
