// SPDX-License-Identifier: GPL-3.0-or-later
// The two ways into the window besides the file chooser: `quarnix FILE` and a
// drop. Both choose the file as the chooser's dialog does when it returns one.

#include <sys/stat.h>

#include <QDir>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <QWindow>

#include "command_line_file.h"
#include "main_window_texts.h"
#include "window_driver.h"

using quarnix::MessageIcon;
using quarnix::testing::Driver;

namespace {

QString Ignored(const QString& argument) {
    return QStringLiteral(u"quarnix：忽略参数“%1”。").arg(argument);
}
QString NoFileAfter(const QString& option) {
    return QStringLiteral(u"quarnix：“%1”后面没有文件名，照常打开窗口。").arg(option);
}
const QString Usage = QStringLiteral(u"用法：quarnix [文件 | --encrypt 文件 | --decrypt 文件]");

// What a drag brings: addresses, also as text as file managers give them, or
// only plain text when `urls` is empty.
std::unique_ptr<QMimeData> Items(const QStringList& urls, const QString& text) {
    auto items = std::make_unique<QMimeData>();
    if (!urls.isEmpty()) {
        items->setUrls(QUrl::fromStringList(urls));
        items->setText(urls.join(u'\n'));
    } else {
        items->setText(text);
    }
    return items;
}

struct DropResult {
    bool Entered = false;
    bool Dropped = false;
    Qt::DropAction Action = Qt::IgnoreAction;
    int MessagesDuringDrop = 0;
};

// A drag that enters the window over `control` and is dropped there, delivered
// to the window as the window system delivers it. Shift is held, so the drag
// proposes a move, as a file manager's drag then does.
DropResult Drop(Driver& w, const char* control, const QMimeData& items) {
    QWidget* target = w.Find(control);
    const QPointF at = target->mapTo(w.Window.get(), target->rect().center());
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    QWindow* window = w.Window->windowHandle();

    DropResult result;
    QDragEnterEvent enter(at.toPoint(), actions, &items, Qt::LeftButton, Qt::ShiftModifier);
    if (enter.proposedAction() != Qt::MoveAction) {
        qFatal("the drag does not propose a move");
    }
    QCoreApplication::sendEvent(window, &enter);
    result.Entered = enter.isAccepted();
    if (result.Entered) {
        QDropEvent drop(at, actions, &items, Qt::LeftButton, Qt::ShiftModifier);
        QCoreApplication::sendEvent(window, &drop);
        result.Dropped = drop.isAccepted();
        result.Action = drop.dropAction();
    }
    result.MessagesDuringDrop = static_cast<int>(w.Dialogs.Log.size());
    QCoreApplication::sendPostedEvents(w.Window.get());
    return result;
}

}  // namespace

class MainWindowOpenTest : public QObject {
    Q_OBJECT
  private slots:
    // The argument table: the file, the task, the level of the marker, and
    // what is ignored.
    void commandLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("start");  // action / task / level, "-" for none
        QTest::addColumn<QStringList>("notes");
        const QStringList none;
        const QString plain = QStringLiteral("window/none/-");
        QTest::newRow("no argument") << QStringList{"quarnix"} << "/w"
                                     << "" << plain << none;
        QTest::newRow("absolute") << QStringList{"quarnix", "/d/../a.doc"} << "/w"
                                  << "/d/../a.doc" << plain << none;
        QTest::newRow("relative, joined as it is")
            << QStringList{"quarnix", "../x/./a b.doc"} << "/home/u/w"
            << "/home/u/w/../x/./a b.doc" << plain << none;
        QTest::newRow("in the root folder") << QStringList{"quarnix", "a"} << "/"
                                            << "/a" << plain << none;
        QTest::newRow("more than one")
            << QStringList{"quarnix", "a", "b", "--opt"} << "/w"
            << "/w/a" << plain << QStringList{Ignored("b"), Ignored("--opt"), Usage};
        QTest::newRow("a name after --")
            << QStringList{"quarnix", "--", "-a.doc", "--"} << "/w"
            << "/w/-a.doc" << plain << QStringList{Ignored("--"), Usage};
        QTest::newRow("empty") << QStringList{"quarnix", ""} << "/w"
                               << "" << plain << QStringList{Ignored(""), Usage};
        QTest::newRow("help wins") << QStringList{"quarnix", "a", "--help"} << "/w"
                                   << ""
                                   << "help/none/-" << none;
        QTest::newRow("-h") << QStringList{"quarnix", "-h"} << "/w"
                            << ""
                            << "help/none/-" << none;
        QTest::newRow("version") << QStringList{"quarnix", "--version", "--help"} << "/w"
                                 << ""
                                 << "version/none/-" << none;
        QTest::newRow("help after -- is a file") << QStringList{"quarnix", "--", "--help"} << "/w"
                                                 << "/w/--help" << plain << none;
        QTest::newRow("encrypt, a name like an option")
            << QStringList{"quarnix", "--encrypt", "-a.doc"} << "/w"
            << "/w/-a.doc"
            << "window/encrypt/-" << none;
        QTest::newRow("decrypt, level of the marker")
            << QStringList{"quarnix", "--decrypt", "/d(秘密).x/a(绝密).doc"} << "/w"
            << "/d(秘密).x/a(绝密).doc"
            << "window/decrypt/TopSecret" << none;
        QTest::newRow("decrypt=, the marker that stands last")
            << QStringList{"quarnix", "--decrypt=b(秘密).tar(机密).gz"} << "/w"
            << "/w/b(秘密).tar(机密).gz"
            << "window/decrypt/Secretter" << none;
        QTest::newRow("decrypt, no marker")
            << QStringList{"quarnix", "--decrypt", "/d/a.doc"} << "/w"
            << "/d/a.doc"
            << "window/decrypt/-" << none;
        QTest::newRow("a task without a file")
            << QStringList{"quarnix", "--decrypt"} << "/w"
            << "" << plain << QStringList{NoFileAfter("--decrypt"), Usage};
        QTest::newRow("a task with an empty file")
            << QStringList{"quarnix", "--encrypt=", "a"} << "/w"
            << "/w/a" << plain << QStringList{NoFileAfter("--encrypt"), Usage};
        QTest::newRow("a marked name alone is decrypted")
            << QStringList{"quarnix", "/d/a(机密).doc"} << "/w"
            << "/d/a(机密).doc"
            << "window/decrypt/Secretter" << none;
        QTest::newRow("a marked name to encrypt")
            << QStringList{"quarnix", "--encrypt", "a(机密).doc"} << "/w"
            << "/w/a(机密).doc"
            << "window/encrypt/-" << none;
        QTest::newRow("a second task")
            << QStringList{"quarnix", "--decrypt", "a(秘密).doc", "--encrypt", "b"} << "/w"
            << "/w/a(秘密).doc"
            << "window/decrypt/Secret" << QStringList{Ignored("--encrypt b"), Usage};
        QTest::newRow("a task wins over a file named alone")
            << QStringList{"quarnix", "a", "--encrypt=b"} << "/w"
            << "/w/b"
            << "window/encrypt/-" << QStringList{Ignored("a"), Usage};
        QTest::newRow("the file of a task, even --help")
            << QStringList{"quarnix", "--encrypt", "--help"} << "/w"
            << "/w/--help"
            << "window/encrypt/-" << none;
        QTest::newRow("a lone dash is a name") << QStringList{"quarnix", "-"} << "/w"
                                               << "/w/-" << plain << none;
        QTest::newRow("notes: tasks, files, then options as written")
            << QStringList{"quarnix", "-a.doc", "x", "--opt=1", "--decrypt", "y", "--encrypt", "-e"}
            << "/w"
            << "/w/y"
            << "window/decrypt/-"
            << QStringList{Ignored("--encrypt -e"), Ignored("x"), Ignored("-a.doc"),
                           Ignored("--opt=1"), Usage};
    }

    void commandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, folder);
        QFETCH(QString, path);
        QFETCH(QString, start);
        QFETCH(QStringList, notes);
        using quarnix::StartAction;
        using quarnix::StartTask;
        const quarnix::CommandLineFile file = quarnix::ReadCommandLine(arguments, folder);
        const char* action = file.Action == StartAction::PrintHelp      ? "help"
                             : file.Action == StartAction::PrintVersion ? "version"
                                                                        : "window";
        const char* task = file.Task == StartTask::Encrypt   ? "encrypt"
                           : file.Task == StartTask::Decrypt ? "decrypt"
                                                             : "none";
        const char* level = !file.MarkedLevel                                ? "-"
                            : *file.MarkedLevel == quarnix::Level::Secret    ? "Secret"
                            : *file.MarkedLevel == quarnix::Level::Secretter ? "Secretter"
                                                                             : "TopSecret";
        QCOMPARE(QStringLiteral("%1/%2/%3").arg(action, task, level), start);
        QCOMPARE(file.Path, path);
        QCOMPARE(file.Notes, notes);
    }

    // As if the dialog had returned it: the box shows it, the commands act on
    // it, and the dialog opens with it, so a cancel brings it back.
    void aFileNamedAtStartIsChosen() {
        Driver w;
        const QString path = QStringLiteral("/data/../report(秘密).doc");
        w.Window->ChooseFile(path);
        QCOMPARE(w.Box("TxtFileName")->text(), path);
        QCOMPARE(w.Window->ChosenPath(), path);
        QVERIFY(w.Dialogs.Log.isEmpty());

        // The box shows only what the commands act on: typing changes nothing,
        // while the path can still be selected and copied.
        w.Type("TxtFileName", QStringLiteral("junk"));
        QCOMPARE(w.Box("TxtFileName")->text(), path);
        w.Key(Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(w.Box("TxtFileName")->selectedText(), path);
        w.ChooseFile(QString());  // cancelled
        QCOMPARE(w.Dialogs.Log.size(), 1);
        QCOMPARE(w.Dialogs.Log[0].CurrentName, path);
        QCOMPARE(w.Box("TxtFileName")->text(), path);
        QCOMPARE(w.Window->ChosenPath(), path);
    }

    // `quarnix --decrypt FILE` as a right-click action runs it.
    void aTaskNamedAtStartIsSelected() {
        Driver w;
        w.Window->SelectTask(true);
        w.Window->SelectLevel(quarnix::Level::TopSecret);
        QVERIFY(w.Find("CmdDecrypt")->isVisible());
        QVERIFY(!w.Find("CmdEncrypt")->isVisible());
        QVERIFY(w.Box("TxtPass3")->isVisible());
        QCOMPARE(w.Find<QLabel>("LblFileName")->text(), QStringLiteral(u"要解密的文件"));
    }

    void drops_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QStringList>("urls");  // "$dir" is a folder holding "a.doc" and "sub"
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("chosen");  // "" when the earlier choice stays
        QTest::addColumn<QString>("message");
        const QString file = QStringLiteral("file://$dir/a.doc");
        const QString none;
        QTest::newRow("a file onto the window")
            << "LblLevel" << QStringList{file} << none << "$dir/a.doc" << none;
        QTest::newRow("onto a button")
            << "CmdEncrypt" << QStringList{file} << none << "$dir/a.doc" << none;
        QTest::newRow("onto the file name box")
            << "TxtFileName" << QStringList{file} << none << "$dir/a.doc" << none;
        QTest::newRow("onto a password box")
            << "TxtPass1" << QStringList{file} << none << "$dir/a.doc" << none;
        QTest::newRow("from localhost") << "LblLevel" << QStringList{"file://localhost$dir/a.doc"}
                                        << none << "$dir/a.doc" << none;
        QTest::newRow("a folder") << "TxtPass1" << QStringList{"file://$dir/sub"} << none << none
                                  << QString::fromUtf16(quarnix::texts::DropFolder);
        QTest::newRow("a pipe") << "LblLevel" << QStringList{"file://$dir/pipe"} << none << none
                                << QStringLiteral(u"你指定的是一个管道（FIFO），不是普通文件！");
        QTest::newRow("two files") << "LblLevel" << QStringList{file, "file://$dir/sub"} << none
                                   << none << QString::fromUtf16(quarnix::texts::DropSeveral);
        QTest::newRow("a web address")
            << "TxtFileName" << QStringList{"https://quarnix.example.org/a.doc"} << none << none
            << QString::fromUtf16(quarnix::texts::DropNotLocalFile);
        QTest::newRow("a file of another machine")
            << "LblLevel" << QStringList{"file://server$dir/a.doc"} << none << none
            << QString::fromUtf16(quarnix::texts::DropNotLocalFile);
        QTest::newRow("plain text") << "LblLevel" << QStringList() << "$dir/a.doc" << none
                                    << QString::fromUtf16(quarnix::texts::DropNotLocalFile);
    }

    void drops() {
        QFETCH(QString, control);
        QFETCH(QStringList, urls);
        QFETCH(QString, text);
        QFETCH(QString, chosen);
        QFETCH(QString, message);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(quarnix::testing::Write(dir.filePath("a.doc"), "x"));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
        QCOMPARE(::mkfifo(dir.filePath("pipe").toLocal8Bit().constData(), 0600), 0);
        for (QString& url : urls) {
            url.replace(QStringLiteral("$dir"), dir.path());
        }
        text.replace(QStringLiteral("$dir"), dir.path());
        chosen.replace(QStringLiteral("$dir"), dir.path());

        Driver w;
        const QString before = QStringLiteral("/data/before.doc");
        w.Window->ChooseFile(before);
        const auto items = Items(urls, text);
        const DropResult result = Drop(w, control.toLatin1().constData(), *items);

        QVERIFY(result.Entered);
        QCOMPARE(result.MessagesDuringDrop, 0);  // the drop has ended before any message shows
        const QString expected = chosen.isEmpty() ? before : chosen;
        QCOMPARE(w.Window->ChosenPath(), expected);
        QCOMPARE(w.Box("TxtFileName")->text(), expected);
        QVERIFY(w.Box("TxtPass1")->text().isEmpty());
        if (message.isEmpty()) {
            QVERIFY(w.Dialogs.Log.isEmpty());
            QVERIFY(result.Dropped);
            QCOMPARE(result.Action, Qt::CopyAction);  // never a move: the file stays where it is
        } else {
            QVERIFY(!result.Dropped);
            QCOMPARE(w.Dialogs.Log.size(), 1);
            QCOMPARE(w.Dialogs.Log[0].Text, message);
            QCOMPARE(w.Dialogs.Log[0].Title, QStringLiteral(u"错误"));
            QCOMPARE(w.Dialogs.Log[0].Icon, MessageIcon::Critical);
        }
    }
};

QTEST_MAIN(MainWindowOpenTest)
#include "main_window_open_test.moc"
