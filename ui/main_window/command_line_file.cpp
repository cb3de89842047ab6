// SPDX-License-Identifier: GPL-3.0-or-later
#include "command_line_file.h"

#include <QDir>

#include "content_check/marked_name.h"
#include "engine/product.h"

namespace quarnix {

namespace {

QString Ignored(const QString& argument) {
    return QStringLiteral(u"quarnix：忽略参数“%1”。").arg(argument);
}

QString NoFileAfter(const QString& option) {
    return QStringLiteral(u"quarnix：“%1”后面没有文件名，照常打开窗口。").arg(option);
}

struct TaskOption {
    const char16_t* Name;
    StartTask Task;
};
constexpr TaskOption TaskOptions[] = {{u"--encrypt", StartTask::Encrypt},
                                      {u"--decrypt", StartTask::Decrypt}};

const TaskOption* TaskOptionNamed(const QString& argument, QString* attachedFile) {
    for (const TaskOption& option : TaskOptions) {
        const QString name = QString::fromUtf16(option.Name);
        if (argument == name) {
            attachedFile->clear();
            return &option;
        }
        if (argument.startsWith(name + u'=')) {
            *attachedFile = argument.mid(name.size() + 1);
            return &option;
        }
    }
    return nullptr;
}

}  // namespace

CommandLineFile ReadCommandLine(const QStringList& arguments, const QString& workingFolder) {
    CommandLineFile result;
    const qsizetype end = arguments.indexOf(QStringLiteral("--"), 1);
    for (qsizetype i = 1; i < (end < 0 ? arguments.size() : end); ++i) {
        if (arguments[i] == QStringLiteral("--help") || arguments[i] == QStringLiteral("-h")) {
            result.Action = StartAction::PrintHelp;
            return result;
        }
        if (arguments[i] == QStringLiteral("--version")) {
            result.Action = StartAction::PrintVersion;
            return result;
        }
    }

    bool optionsEnded = false;
    bool fileNamed = false;
    bool taskNamed = false;
    const auto takeFile = [&](const QString& file) {
        fileNamed = true;
        // QDir::filePath joins without cleaning the path.
        result.Path = QDir::isAbsolutePath(file) ? file : QDir(workingFolder).filePath(file);
    };
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QStringLiteral("--") && !optionsEnded) {
            optionsEnded = true;
            continue;
        }
        QString attached;
        const TaskOption* task = optionsEnded ? nullptr : TaskOptionNamed(argument, &attached);
        if (task != nullptr) {
            const bool separate = argument == QString::fromUtf16(task->Name);
            const QString file =
                separate ? (i + 1 < arguments.size() ? arguments[i + 1] : QString()) : attached;
            if (separate && i + 1 < arguments.size()) {
                ++i;
            }
            if (file.isEmpty() && !taskNamed && !fileNamed) {
                result.Notes << NoFileAfter(QString::fromUtf16(task->Name));
                continue;
            }
            if (taskNamed || fileNamed || file.isEmpty()) {
                result.Notes << Ignored(separate && !file.isEmpty() ? argument + u' ' + file
                                                                    : argument);
                continue;
            }
            taskNamed = true;
            result.Task = task->Task;
            takeFile(file);
            continue;
        }
        const bool option = !optionsEnded && argument.startsWith(u'-');
        if (option || argument.isEmpty() || fileNamed) {
            result.Notes << Ignored(argument);
            continue;
        }
        takeFile(argument);
    }
    if (result.Task != StartTask::Encrypt && fileNamed) {
        result.MarkedLevel = quarnix::MarkedLevel(result.Path.toStdU16String());
        // A file that carries a marker is there to be decrypted: so a file
        // manager opens the files of its type, through the desktop entry.
        if (result.MarkedLevel) {
            result.Task = StartTask::Decrypt;
        }
    }
    if (!result.Notes.isEmpty()) {
        result.Notes << QStringLiteral(u"用法：quarnix [文件 | --encrypt 文件 | --decrypt 文件]");
    }
    return result;
}

QString CommandLineHelp() {
    return QStringLiteral(
        u"用法：quarnix [文件]\n"
        u"      quarnix --encrypt 文件\n"
        u"      quarnix --decrypt 文件\n"
        u"打开 Quarnix 的窗口，就地加密或解密一个文件。\n"
        u"\n"
        u"  文件              打开窗口时已选好这个文件；文件名中有等级标注时，\n"
        u"                    任务为解密，同时选好标注的等级\n"
        u"  --encrypt 文件    选好文件，任务为加密\n"
        u"  --decrypt 文件    选好文件，任务为解密；文件名中有等级标注时，\n"
        u"                    同时选好标注的等级\n"
        u"  -h, --help        显示本帮助并退出\n"
        u"  --version         显示版本号并退出\n"
        u"\n"
        u"文件名以“-”开头时，写在“--”之后。在终端或脚本中加密、解密请用 quarnix-cli。\n");
}

QString CommandLineVersion() {
    return QStringLiteral("quarnix %1\n").arg(QLatin1String(VersionText));
}

}  // namespace quarnix
