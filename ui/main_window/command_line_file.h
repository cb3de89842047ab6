// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// `quarnix [FILE]`: the file the program starts with, and a note for each
// argument it ignores.

#include <QString>
#include <QStringList>

namespace quarnix {

struct CommandLineFile {
    // The file to choose at start, absolute; empty when none was named.
    QString Path;
    // One line for standard error per ignored argument, then the usage.
    QStringList Notes;
};

// `arguments` as QCoreApplication::arguments() gives them, the program's name
// first and Qt's own options already taken out. The first argument is the
// file; every other argument, one that starts with "-" (unless "--" came
// before it) and an empty one are ignored. A relative path is joined to
// `workingFolder` as it is: ".." stays, since behind a symbolic link it need
// not lead where the text suggests.
CommandLineFile ReadCommandLine(const QStringList& arguments, const QString& workingFolder);

}  // namespace quarnix
