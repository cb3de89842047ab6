// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Keeps Alt+letter out of every text box of the program. The program follows
// the Windows convention, where Alt with a letter that is no accelerator types
// nothing; Qt on Linux hands such a key to the focused text box as the bare
// letter, so Alt+A would silently add an "a" to a password. Accelerators
// (Alt+B on the browse button) keep working: Qt's shortcut map takes them
// before any text box sees the key.

#include <QObject>

class QCoreApplication;

namespace quarnix {

class AltKeyGuard : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* receiver, QEvent* event) override;
};

// Installs a guard for every window of `application`, owned by it.
void InstallAltKeyGuard(QCoreApplication& application);

}  // namespace quarnix
