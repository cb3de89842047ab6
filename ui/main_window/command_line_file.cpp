// SPDX-License-Identifier: GPL-3.0-or-later
#include "command_line_file.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDir>

#include "engine/format/level_marker.h"
#include "engine/product.h"

namespace quarnix {

namespace {

QString Ignored(const QString& argument) {
    return QStringLiteral(u"quarnix：忽略参数“%1”。").arg(argument);
}

QString NoFileAfter(const QString& option) {
    return QStringLiteral(u"quarnix：“%1”后面没有文件名，照常打开窗口。").arg(option);
}

struct Options {
    QCommandLineOption Help{QStringList{QStringLiteral("h"), QStringLiteral("help")}};
    QCommandLineOption Version{QStringLiteral("version")};
    QCommandLineOption Encrypt{QStringLiteral("encrypt"), QString(), QStringLiteral("file")};
    QCommandLineOption Decrypt{QStringLiteral("decrypt"), QString(), QStringLiteral("file")};
};

// The first of --help and --version, or the window.
StartAction AskedAction(const QCommandLineParser& parser, const Options& options) {
    for (const QString& name : parser.optionNames()) {
        if (options.Help.names().contains(name)) {
            return StartAction::PrintHelp;
        }
        if (options.Version.names().contains(name)) {
            return StartAction::PrintVersion;
        }
    }
    return StartAction::OpenWindow;
}

// The first task option with a file sets the task and the file; the notes say
// what became of the others.
QStringList TakeTask(const QCommandLineParser& parser, const Options& options,
                     CommandLineFile* result, QString* file) {
    QStringList notes;
    qsizetype encryptSeen = 0;
    qsizetype decryptSeen = 0;
    for (const QString& name : parser.optionNames()) {
        const bool encrypt = options.Encrypt.names().contains(name);
        if (!encrypt && !options.Decrypt.names().contains(name)) {
            continue;
        }
        const QStringList files = parser.values(name);
        const qsizetype seen = encrypt ? encryptSeen++ : decryptSeen++;
        // Only a task option that ends the command line can lack its file.
        const QString named = seen < files.size() ? files[seen] : QString();
        const QString option = QStringLiteral("--") + name;
        if (result->Task != StartTask::AsTheWindowOpens) {
            notes << Ignored(named.isEmpty() ? option : option + u' ' + named);
        } else if (named.isEmpty()) {
            notes << NoFileAfter(option);
        } else {
            result->Task = encrypt ? StartTask::Encrypt : StartTask::Decrypt;
            *file = named;
        }
    }
    return notes;
}

// The argument that the parser reported as the unknown option `name`, as it
// was written: "-name" or "--name", either perhaps with "=value". Each of
// `unquoted` is quoted once.
QString UnknownAsWritten(const QString& name, QStringList* unquoted) {
    for (qsizetype i = 0; i < unquoted->size(); ++i) {
        const QString head = unquoted->at(i).section(u'=', 0, 0);
        if (head == QStringLiteral("-") + name || head == QStringLiteral("--") + name) {
            return unquoted->takeAt(i);
        }
    }
    return QStringLiteral("--") + name;
}

}  // namespace

CommandLineFile ReadCommandLine(const QStringList& arguments, const QString& workingFolder) {
    const Options options;
    QCommandLineParser parser;
    // "-opt" is one option that is not ours, not the three "-o -p -t".
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions({options.Help, options.Version, options.Encrypt, options.Decrypt});
    // False for an option that is not ours or a task option without its file:
    // both become notes below.
    static_cast<void>(parser.parse(arguments));

    CommandLineFile result;
    result.Action = AskedAction(parser, options);
    if (result.Action != StartAction::OpenWindow) {
        return result;
    }
    QString file;
    result.Notes = TakeTask(parser, options, &result, &file);
    for (const QString& argument : parser.positionalArguments()) {
        if (argument.isEmpty() || !file.isEmpty()) {
            result.Notes << Ignored(argument);
        } else {
            file = argument;
        }
    }
    QStringList unquoted = arguments.mid(1);
    for (const QString& name : parser.unknownOptionNames()) {
        result.Notes << Ignored(UnknownAsWritten(name, &unquoted));
    }

    if (!file.isEmpty()) {
        // QDir::filePath joins without cleaning the path.
        result.Path = QDir::isAbsolutePath(file) ? file : QDir(workingFolder).filePath(file);
    }
    if (result.Task != StartTask::Encrypt && !file.isEmpty()) {
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
