// SPDX-License-Identifier: GPL-3.0-or-later
#include "command_line_file.h"

#include <QDir>

namespace quarnix {

CommandLineFile ReadCommandLine(const QStringList& arguments, const QString& workingFolder) {
    CommandLineFile result;
    bool optionsEnded = false;
    bool fileNamed = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QStringLiteral("--") && !optionsEnded) {
            optionsEnded = true;
            continue;
        }
        const bool option = !optionsEnded && argument.startsWith(u'-');
        if (option || argument.isEmpty() || fileNamed) {
            result.Notes << QStringLiteral(u"quarnix：忽略参数“%1”。").arg(argument);
            continue;
        }
        fileNamed = true;
        // QDir::filePath joins without cleaning the path.
        result.Path =
            QDir::isAbsolutePath(argument) ? argument : QDir(workingFolder).filePath(argument);
    }
    if (!result.Notes.isEmpty()) {
        result.Notes << QStringLiteral(u"用法：quarnix [文件]");
    }
    return result;
}

}  // namespace quarnix
