// SPDX-License-Identifier: GPL-3.0-or-later
// The hand-over of the window's state to the encrypt and decrypt commands and
// the display of what they answer, on real files.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include "engine/files/temp_file.h"
#include "engine/product.h"
#include "window_driver.h"

using quarnix::MessageIcon;
using quarnix::testing::Driver;
using quarnix::testing::Read;
using quarnix::testing::Sample;
using quarnix::testing::ShownDialog;
using quarnix::testing::Write;

namespace {

// Types the passwords given; the second pair at the top level, left filled
// in when the level was a lower one.
void TypePasswords(Driver& w, const QStringList& passwords) {
    const char* boxes[] = {"TxtPass1", "TxtPass2", "TxtPass3", "TxtPass4"};
    const bool lowerLevel = !w.Box("TxtPass3")->isVisible();
    for (qsizetype i = 0; i < passwords.size(); ++i) {
        if (i == 2 && lowerLevel) {
            w.Click("OptTopSecret");
        }
        if (!passwords[i].isEmpty()) {
            w.Type(boxes[i], passwords[i]);
        }
    }
    if (passwords.size() > 2 && lowerLevel) {
        w.Click("OptSecret");
    }
}

// Presses the visible command button; the confirmation is answered Yes.
void Run(Driver& w) {
    w.Dialogs.Log.clear();
    w.Click(w.Find("CmdDecrypt")->isVisible() ? "CmdDecrypt" : "CmdEncrypt");
}

const QString Confirmation = QStringLiteral(
    "请确保您所选文件、加密等级及密码均正确无误，否则，会导致解密失败。【推荐您选中备份功能】"
    "\r\n你确实要执行解密吗？");
const QString Missing = QStringLiteral("你指定的文件不存在！");
const QString Done = QStringLiteral("操作成功！");

}  // namespace

class MainWindowCommandsTest : public QObject {
    Q_OBJECT
  private slots:
    void outcomes_data() {
        QTest::addColumn<bool>("decrypt");
        QTest::addColumn<bool>("fileChosen");
        QTest::addColumn<bool>("topSecret");
        QTest::addColumn<QStringList>("passwords");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("title");
        QTest::addColumn<MessageIcon>("icon");
        QTest::addColumn<QString>("emptied");  // "" for none
        QTest::addColumn<QString>("focused");  // "" for the button pressed
        for (const bool decrypt : {false, true}) {
            const auto row = [decrypt](const char* name) -> QTestData& {
                return QTest::addRow("%s, %s", decrypt ? "decrypt" : "encrypt", name) << decrypt;
            };
            const MessageIcon stop = MessageIcon::Critical;
            const MessageIcon exclamation = MessageIcon::Exclamation;
            row("no file") << false << false << QStringList{} << Missing << "错误" << stop << ""
                           << "";
            row("no file, no password")
                << false << true << QStringList{} << Missing << "错误" << stop << ""
                << "";
            row("password 1 empty") << true << false << QStringList{} << "密码不能为空！"
                                    << "错误" << exclamation << ""
                                    << "TxtPass1";
            row("password 1 differs in case") << true << false << QStringList{"Secret1", "secret1"}
                                              << "你两次输入的密码不一致，请重新输入！"
                                              << "警告" << exclamation << "TxtPass2"
                                              << "TxtPass2";
            row("password 2 empty")
                << true << true << QStringList{"first1", "first1"} << "密码2不能为空！"
                << "错误" << exclamation << ""
                << "TxtPass3";
            row("password 2 differs")
                << true << true << QStringList{"first1", "first1", "second2", "second3"}
                << "你两次输入的密码2不一致，请重新输入！"
                << "警告" << exclamation << "TxtPass4"
                << "TxtPass4";
            row("done, the hidden pair ignored")
                << true << false << QStringList{"first1", "first1", "", "stray22"} << Done
                << QString::fromUtf16(quarnix::ApplicationTitle) << MessageIcon::None << ""
                << "";
        }
    }
    void outcomes() {
        QFETCH(bool, decrypt);
        QFETCH(bool, fileChosen);
        QFETCH(bool, topSecret);
        QFETCH(QStringList, passwords);
        QFETCH(QString, message);
        QFETCH(QString, title);
        QFETCH(MessageIcon, icon);
        QFETCH(QString, emptied);
        QFETCH(QString, focused);
        QTemporaryDir folder;
        // Sample bytes are of no type: a ".doc" would add a question about them.
        const QString path = folder.filePath(QStringLiteral("plan.bin"));
        QVERIFY(Write(path, Sample(100)));
        Driver w;
        if (decrypt) {
            w.Click("OptDecryptTask");
        }
        if (fileChosen) {
            w.ChooseFile(path);
        }
        if (topSecret) {
            w.Click("OptTopSecret");
        }
        TypePasswords(w, passwords);
        QString emptiedWhileShown;
        w.Dialogs.WhileOpen = [&] {
            if (!emptied.isEmpty()) {
                emptiedWhileShown = w.Box(emptied.toLatin1().constData())->text();
            }
        };
        Run(w);

        QCOMPARE(w.Dialogs.Messages(), QStringList{message});
        QCOMPARE(w.Dialogs.Log.size(), decrypt ? 2 : 1);  // the confirmation first
        QCOMPARE(w.Dialogs.Log.last().Title, title);
        QCOMPARE(w.Dialogs.Log.last().Icon, icon);
        QCOMPARE(w.Focus(), !focused.isEmpty() ? focused : decrypt ? "CmdDecrypt" : "CmdEncrypt");
        for (qsizetype i = 0; i < 4; ++i) {
            const QString box = QStringLiteral("TxtPass%1").arg(i + 1);
            const QString typed = box == emptied ? QString() : passwords.value(i);
            QCOMPARE(w.Box(box.toLatin1().constData())->text(), typed);
        }
        QCOMPARE(emptiedWhileShown.isEmpty(), emptied.isEmpty());  // emptied after the message
    }

    // No ends the command quietly, whatever the window holds.
    void decryptDeclined() {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("plan.doc"));
        QVERIFY(Write(path, Sample(100)));
        Driver w;
        w.Click("OptDecryptTask");
        for (const bool ready : {false, true}) {
            if (ready) {
                w.ChooseFile(path);
                TypePasswords(w, {"first1", "first1"});
            }
            w.Dialogs.YesNo = {false};
            Run(w);
            QCOMPARE(w.Dialogs.Log.size(), 1);
            QCOMPARE(w.Dialogs.Log[0].Kind, QStringLiteral("question"));
            QCOMPARE(w.Dialogs.Log[0].Text, Confirmation);
            QCOMPARE(w.Dialogs.Log[0].Title, QStringLiteral("友情提示"));
        }
        QCOMPARE(Read(path), Sample(100));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{"plan.doc"});
    }

    // The file of a request is the one the chooser returned, never the text
    // typed into TxtFileName.
    void requestFromChosenPath() {
        QTemporaryDir folder;
        const QString chosen = folder.filePath(QStringLiteral("chosen.doc"));
        const QString typed = folder.filePath(QStringLiteral("typed.doc"));
        QVERIFY(Write(chosen, Sample(100)) && Write(typed, Sample(100)));
        Driver w;
        TypePasswords(w, {"first1", "first1"});
        w.Type("TxtFileName", typed);
        Run(w);
        QCOMPARE(w.Dialogs.Messages(), QStringList{Missing});
        w.ChooseFile(chosen);
        w.Box("TxtFileName")->clear();
        w.Type("TxtFileName", typed);
        Run(w);
        QCOMPARE(w.Dialogs.Messages(), QStringList{Done});
        QVERIFY(Read(folder.filePath(QStringLiteral("chosen(秘密).doc"))) != Sample(100));
        QCOMPARE(Read(typed), Sample(100));
    }

    // A wrong password: after the confirmation, a question with No the
    // default. No leaves everything as it was, without a further message.
    void contentQuestion_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("No") << false;
        QTest::newRow("Yes") << true;
    }
    void contentQuestion() {
        QFETCH(bool, yes);
        QTemporaryDir folder;
        const QString plainPath = folder.filePath(QStringLiteral("notes.txt"));
        const QString markedPath = folder.filePath(QStringLiteral("notes(秘密).txt"));
        QString text;
        for (int i = 1; i <= 200; ++i) {
            text += QStringLiteral("第%1行：会议纪要。Minutes.\r\n").arg(i);
        }
        QVERIFY(Write(plainPath, text.toUtf8()));
        quarnix::CryptRequest request;
        request.FilePath = plainPath.toStdU16String();
        request.Password1 = request.Password1Confirm = u"first1";
        request.MakeBackup = false;
        QVERIFY(quarnix::EncryptCommand(request).Succeeded());
        const QByteArray encrypted = Read(markedPath);

        Driver w;
        w.Click("OptDecryptTask");
        w.ChooseFile(markedPath);
        TypePasswords(w, {"wrong2", "wrong2"});
        w.Dialogs.YesNo = {true, yes};
        // Asked on the user-interface thread, while the work waits before the backup.
        bool askedBeforeTheWork = false;
        w.Dialogs.WhileOpen = [&] {
            if (w.Dialogs.Log.last().Kind == u"caution") {
                askedBeforeTheWork =
                    QThread::currentThread() == qApp->thread() &&
                    QDir(folder.path()).entryList(QDir::Files) == QStringList{"notes(秘密).txt"};
            }
        };
        Run(w);
        QVERIFY(askedBeforeTheWork);
        QCOMPARE(w.Dialogs.Log.value(1).Kind, QStringLiteral("caution"));
        QCOMPARE(w.Dialogs.Log[1].Text,
                 QStringLiteral("用这组密码按“秘密”等级解密后，文件内容不像纯文本文档，"
                                "密码或加密等级可能不对。\r\n仍要解密吗？"));
        QCOMPARE(w.Dialogs.Log[1].Title, QStringLiteral("友情提示"));
        const QStringList files = QDir(folder.path()).entryList(QDir::Files);
        if (yes) {
            QCOMPARE(w.Dialogs.Messages(), QStringList{Done});
            QCOMPARE(files, (QStringList{"notes(秘密).txt.BAK", "notes.txt"}));
        } else {
            QCOMPARE(w.Dialogs.Log.size(), 2);
            QCOMPARE(files, QStringList{"notes(秘密).txt"});  // no backup either
            QCOMPARE(Read(markedPath), encrypted);
        }
        QCOMPARE(w.Focus(), QStringLiteral("CmdDecrypt"));
    }

    // An older backup under the backup's name: a question with No the
    // default; No leaves the file and the old backup as they were. What the
    // run set right of an interrupted earlier one (here: a temporary file it
    // left) is said whatever the answer.
    void existingBackup_data() {
        QTest::addColumn<bool>("decrypt");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<bool>("leftover");
        QTest::newRow("encrypt, No") << false << false << false;
        QTest::newRow("encrypt, Yes") << false << true << false;
        QTest::newRow("decrypt, No") << true << false << false;
        QTest::newRow("encrypt after a kill, No") << false << false << true;
        QTest::newRow("encrypt after a kill, Yes") << false << true << true;
    }
    void existingBackup() {
        QFETCH(bool, decrypt);
        QFETCH(bool, yes);
        QFETCH(bool, leftover);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("plan.bin"));
        const QString backup = path + (decrypt ? QStringLiteral(".BAK") : QStringLiteral(".备份"));
        QVERIFY(Write(path, Sample(100)) && Write(backup, "older version"));
        const QString stale =
            folder.filePath(QString::fromStdString(quarnix::TempNamePrefix("plan.bin")) + "Ab12Cd");
        if (leftover) {
            QVERIFY(Write(stale, Sample(40)));
        }
        const QString removed = QStringLiteral("已删除上次处理中断时留下的临时文件");
        Driver w;
        if (decrypt) {
            w.Click("OptDecryptTask");
        }
        w.ChooseFile(path);
        TypePasswords(w, {"first1", "first1"});
        w.Dialogs.YesNo = decrypt ? QList<bool>{true, yes} : QList<bool>{yes};
        Run(w);
        const ShownDialog& question = w.Dialogs.Log.value(decrypt ? 1 : 0);
        QCOMPARE(question.Kind, QStringLiteral("caution"));
        QCOMPARE(question.Text, u'“' + backup +
                                    QStringLiteral("”已经存在，可能是以前唯一的一份备份。"
                                                   "\r\n要用现在的文件替换它吗？"));
        QCOMPARE(question.Title, QStringLiteral("友情提示"));
        const QStringList messages = w.Dialogs.Messages();
        QCOMPARE(messages.size(), yes || leftover ? 1 : 0);  // No alone shows nothing more
        QCOMPARE(!messages.isEmpty() && messages[0].contains(removed), leftover);
        QVERIFY(!QFile::exists(stale));
        if (yes) {
            QVERIFY(messages[0].endsWith(Done));
            QCOMPARE(Read(backup), Sample(100));
        } else {
            QCOMPARE(Read(backup), QByteArray("older version"));
            QCOMPARE(Read(path), Sample(100));
        }
    }

    // A password longer than a key can be is kept whole in its box and
    // refused at the click, never cut to fit.
    void longPassword() {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("plan.bin"));
        QVERIFY(Write(path, Sample(100)));
        Driver w;
        w.ChooseFile(path);
        const QString pasted(40000, u'p');
        for (const char* box : {"TxtPass1", "TxtPass2"}) {
            w.Box(box)->setFocus();
            w.Box(box)->insert(pasted);  // as a paste does
            QCOMPARE(w.Box(box)->text().size(), pasted.size());
        }
        Run(w);
        QCOMPARE(w.Dialogs.Messages(),
                 QStringList{QStringLiteral("密码超过 32767 个字符，无法使用。文件未改动。")});
        QCOMPARE(Read(path), Sample(100));
    }

    void encryptThenDecrypt_data() {
        QTest::addColumn<bool>("topSecret");
        QTest::addColumn<QString>("marked");
        QTest::newRow("Secret") << false << "plan(秘密).doc";
        QTest::newRow("TopSecret") << true << "plan(绝密).doc";
    }
    void encryptThenDecrypt() {
        QFETCH(bool, topSecret);
        QFETCH(QString, marked);
        QTemporaryDir folder;
        const QString plainPath = folder.filePath(QStringLiteral("plan.doc"));
        const QString markedPath = folder.filePath(marked);
        const QByteArray plain = Sample(30000);
        QVERIFY(Write(plainPath, plain));
        Driver w;
        w.ChooseFile(plainPath);
        if (topSecret) {
            w.Click("OptTopSecret");
        }
        TypePasswords(w, {"first1", "first1", "second2", "second2"});
        QCOMPARE(w.Box("TxtPass3")->isVisible(), topSecret);
        Run(w);
        QCOMPARE(w.Dialogs.Messages(), QStringList{Done});
        const QByteArray encrypted = Read(markedPath);
        QCOMPARE(encrypted.size(), plain.size());
        QVERIFY(encrypted.left(20481) != plain.left(20481));
        QCOMPARE(encrypted.mid(20481) == plain.mid(20481), !topSecret);
        QCOMPARE(Read(plainPath + QStringLiteral(".备份")), plain);
        // The window still names the file as it was chosen.
        QCOMPARE(w.Window->ChosenPath(), plainPath);
        QCOMPARE(w.Box("TxtFileName")->text(), plainPath);
        Run(w);
        QCOMPARE(w.Dialogs.Messages(), QStringList{Missing});

        w.Click("OptDecryptTask");
        w.ChooseFile(markedPath);
        Run(w);
        QCOMPARE(w.Dialogs.Log[0].Text, Confirmation);
        QCOMPARE(w.Dialogs.Messages(), QStringList{Done});
        QCOMPARE(Read(plainPath), plain);
        QCOMPARE(Read(markedPath + QStringLiteral(".BAK")), encrypted);
        QVERIFY(!QFile::exists(markedPath));
    }
};

QTEST_MAIN(MainWindowCommandsTest)
#include "main_window_commands_test.moc"
