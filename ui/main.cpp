// SPDX-License-Identifier: GPL-3.0-or-later
// Quarnix: opens the main window and runs until the last window has closed.
// The command line (command_line_file.h) may name the file to start with and
// the task; the program reads no settings.

#include <sys/prctl.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "command_line_file.h"
#include "frm_main.h"
#include "ui/application/application_setup.h"

namespace {

QStringList RawArguments(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QFile::decodeName(argv[i]);
    }
    return arguments;
}

bool Set(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// Qt ends the program with an English message of its own when no window
// system can be reached; with none named at all, say so before it tries.
bool SomeDisplayNamed(const QStringList& arguments) {
    return Set("DISPLAY") || Set("WAYLAND_DISPLAY") || Set("QT_QPA_PLATFORM") ||
           arguments.contains(QStringLiteral("-platform")) ||
           arguments.contains(QStringLiteral("--platform"));
}

}  // namespace

int main(int argc, char* argv[]) {
    // Passwords and keys live in this process: no core dump, and no other
    // process of this user may read its memory.
    ::prctl(PR_SET_DUMPABLE, 0);
    // Help and version need no display: answered before Qt looks for one.
    const QStringList raw = RawArguments(argc, argv);
    const quarnix::CommandLineFile asked = quarnix::ReadCommandLine(raw, QString());
    if (asked.Action != quarnix::StartAction::OpenWindow) {
        const QString text = asked.Action == quarnix::StartAction::PrintHelp
                                 ? quarnix::CommandLineHelp()
                                 : quarnix::CommandLineVersion();
        std::cout << text.toStdString() << std::flush;
        return std::cout ? EXIT_SUCCESS : EXIT_FAILURE;
    }
    if (!SomeDisplayNamed(raw)) {
        std::cerr << QStringLiteral(
                         u"quarnix：没有图形显示（DISPLAY 和 WAYLAND_DISPLAY 都未设置），"
                         u"无法打开窗口。在终端中加密、解密请用 quarnix-cli。")
                         .toStdString()
                  << '\n';
        return EXIT_FAILURE;
    }

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
    if (start.Task != quarnix::StartTask::AsTheWindowOpens) {
        window.SelectTask(start.Task == quarnix::StartTask::Decrypt);
    }
    if (start.MarkedLevel) {
        window.SelectLevel(*start.MarkedLevel);
    }
    if (!start.Path.isEmpty()) {
        window.ChooseFile(start.Path);
    }
    window.show();
    return QApplication::exec();
}
