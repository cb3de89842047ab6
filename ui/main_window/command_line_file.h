// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window program's command line:
//   quarnix [FILE]            the window with FILE chosen; when FILE's name
//                             carries a level marker, as --decrypt FILE
//   quarnix --encrypt FILE    the same, the task encryption
//   quarnix --decrypt FILE    the same, the task decryption and the level of
//                             the marker in FILE's name when it has one
//   quarnix --help | -h       the usage on standard output, no window
//   quarnix --version         the version on standard output, no window
// The right-click actions of file managers run the two task options; the
// desktop entry opens the files of the encrypted type with `quarnix FILE`.

#include <QString>
#include <QStringList>
#include <optional>

#include "engine/crypt_request.h"

namespace quarnix {

enum class StartAction { OpenWindow, PrintHelp, PrintVersion };
enum class StartTask { AsTheWindowOpens, Encrypt, Decrypt };

struct CommandLineFile {
    StartAction Action = StartAction::OpenWindow;
    // The file to choose at start, absolute; empty when none was named.
    QString Path;
    StartTask Task = StartTask::AsTheWindowOpens;
    // Unless the task is encryption: the level of the marker in the file's name.
    std::optional<Level> MarkedLevel;
    // One line for standard error per ignored argument, then the usage.
    QStringList Notes;
};

// `arguments` as QCoreApplication::arguments() gives them, the program's name
// first and Qt's own options already taken out. QCommandLineParser reads them:
// an option may be written with one dash or two, and "--" ends the options.
// The first of "--help" and "--version" wins over everything else. "--encrypt"
// and "--decrypt" take the next argument as the file, whatever it looks like
// ("--encrypt=FILE" too); the first of them with a file sets the task and the
// file, and only without one is the first other argument the file. A lone "-"
// is a file name. Every other argument, an option this table does not know,
// a second file or task, and an empty argument, is ignored with a note; so is
// a task option without a file, which leaves the window as it opens. The notes
// come in that order: the task options, the files, the unknown options (these
// as written). A relative path is joined to `workingFolder` as it is: ".."
// stays, since behind a symbolic link it need not lead where the text suggests.
CommandLineFile ReadCommandLine(const QStringList& arguments, const QString& workingFolder);

// What `quarnix --help` and `quarnix --version` print.
QString CommandLineHelp();
QString CommandLineVersion();

}  // namespace quarnix
