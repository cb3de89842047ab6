// SPDX-License-Identifier: GPL-3.0-or-later
// Quarnix: opens the main window and runs until the last window has closed.
// `quarnix FILE` starts with FILE chosen; the program reads no settings.

#include <sys/prctl.h>

#include <QApplication>
#include <QDir>
#include <iostream>

#include "command_line_file.h"
#include "frm_main.h"
#include "ui/application/application_setup.h"

int main(int argc, char* argv[]) {
    // Passwords and keys live in this process: no core dump, and no other
    // process of this user may read its memory.
    ::prctl(PR_SET_DUMPABLE, 0);
    QApplication application(argc, argv);
    quarnix::SetUpApplication(application);
    // The desktop entry's ID, by which Wayland compositors find the icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(QUARNIX_APP_ID));

    const quarnix::CommandLineFile start =
        quarnix::ReadCommandLine(QApplication::arguments(), QDir::currentPath());
    for (const QString& note : start.Notes) {
        std::cerr << note.toStdString() << '\n';
    }

    quarnix::FrmMain window;
    if (!start.Path.isEmpty()) {
        window.ChooseFile(start.Path);
    }
    window.show();
    return QApplication::exec();
}
