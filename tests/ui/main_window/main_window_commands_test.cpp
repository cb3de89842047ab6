// The hand-over of the window's state to the encrypt and decrypt commands and
// the display of their outcomes, on real files.

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "window_fixture.h"

using quarnix::OutcomeIcon;
using quarnix::testing::ShownDialog;
using quarnix::testing::ShownWindow;

namespace {

QByteArray Sample(int size) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 7 + 3) % 251);
    }
    return bytes;
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Types into the boxes given; the second pair is typed at the top level
// and stays filled in when the level was a lower one.
void TypePasswords(ShownWindow& w, const QStringList& passwords) {
    const char* boxes[] = {"TxtPass1", "TxtPass2", "TxtPass3", "TxtPass4"};
    const bool secondPairHidden = !w.Box("TxtPass3")->isVisible();
    for (qsizetype i = 0; i < passwords.size(); ++i) {
        if (i == 2 && secondPairHidden) {
            w.Click("OptTopSecret");
        }
        if (!passwords[i].isEmpty()) {
            w.Type(boxes[i], passwords[i]);
        }
    }
    if (passwords.size() > 2 && secondPairHidden) {
        w.Click("OptSecret");
    }
}

// Presses the button of the current task, the confirmation answered Yes.
void Run(ShownWindow& w, bool decrypt) {
    w.Dialogs.Forget();
    w.Click(decrypt ? "CmdDecrypt" : "CmdEncrypt");
}

const QString Confirmation = QStringLiteral(
    "请确保您所选文件、加密等级及密码均正确无误，否则，会导致解密失败。【推荐您选中备份功能】"
    "\r\n你确实要执行解密吗？");

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
        QTest::addColumn<OutcomeIcon>("icon");
        QTest::addColumn<QString>("emptied");  // "" when none
        QTest::addColumn<QString>("focused");  // "" for the button pressed
        for (const bool decrypt : {false, true}) {
            const auto row = [decrypt](const char* name) {
                return &(QTest::addRow("%s %s", decrypt ? "decrypt" : "encrypt", name) << decrypt);
            };
            *row("file missing") << false << false << QStringList{} << "你指定的文件不存在！"
                                 << "错误" << OutcomeIcon::Critical << ""
                                 << "";
            *row("file missing, password 1 empty too")
                << false << true << QStringList{} << "你指定的文件不存在！"
                << "错误" << OutcomeIcon::Critical << ""
                << "";
            *row("password 1 empty") << true << false << QStringList{} << "密码不能为空！"
                                     << "错误" << OutcomeIcon::Exclamation << ""
                                     << "TxtPass1";
            *row("password 1 mismatch") << true << false << QStringList{"Secret1", "secret1"}
                                        << "你两次输入的密码不一致，请重新输入！"
                                        << "警告" << OutcomeIcon::Exclamation << "TxtPass2"
                                        << "TxtPass2";
            *row("password 2 empty")
                << true << true << QStringList{"first1", "first1"} << "密码2不能为空！"
                << "错误" << OutcomeIcon::Exclamation << ""
                << "TxtPass3";
            *row("password 2 mismatch")
                << true << true << QStringList{"first1", "first1", "second2", "second3"}
                << "你两次输入的密码2不一致，请重新输入！"
                << "警告" << OutcomeIcon::Exclamation << "TxtPass4"
                << "TxtPass4";
            *row("done, second pair ignored below the top level")
                << true << false << QStringList{"first1", "first1", "", "stray22"} << "操作成功！"
                << "Quarnix 3.3" << OutcomeIcon::None << ""
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
        QFETCH(OutcomeIcon, icon);
        QFETCH(QString, emptied);
        QFETCH(QString, focused);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("plan.doc"));
        Write(path, Sample(100));
        ShownWindow w;
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
        w.Dialogs.WhileOpen = [&](const ShownDialog& dialog) {
            if (dialog.What == ShownDialog::Kind::Message && !emptied.isEmpty()) {
                emptiedWhileShown = w.Box(emptied.toLatin1().constData())->text();
            }
        };
        Run(w, decrypt);

        const QList<ShownDialog> messages = w.Dialogs.Messages();
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].Text, message);
        QCOMPARE(messages[0].Title, title);
        QCOMPARE(messages[0].Icon, icon);
        QCOMPARE(w.Dialogs.Shown().size(), decrypt ? 2 : 1);  // the confirmation first
        const QString button = QString::fromLatin1(decrypt ? "CmdDecrypt" : "CmdEncrypt");
        QCOMPARE(w.FocusName(), focused.isEmpty() ? button : focused);
        for (const char* box : {"TxtPass1", "TxtPass2", "TxtPass3", "TxtPass4"}) {
            const qsizetype i = box[7] - '1';
            const QString typed = i < passwords.size() ? passwords[i] : QString();
            QCOMPARE(w.Box(box)->text(), emptied == QLatin1String(box) ? QString() : typed);
        }
        if (!emptied.isEmpty()) {
            QVERIFY(!emptiedWhileShown.isEmpty());  // emptied after the message
        }
    }

    void decryptConfirmation() {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("plan.doc"));
        Write(path, Sample(100));
        ShownWindow w;
        w.Click("OptDecryptTask");
        w.Dialogs.AnswerYesNo(false);
        Run(w, true);  // nothing chosen, nothing typed: No still ends it quietly
        QCOMPARE(w.Dialogs.Shown().size(), 1);
        QCOMPARE(w.Dialogs.Shown()[0].What, ShownDialog::Kind::Question);
        QCOMPARE(w.Dialogs.Shown()[0].Text, Confirmation);
        QCOMPARE(w.Dialogs.Shown()[0].Title, QStringLiteral("友情提示"));

        w.ChooseFile(path);
        TypePasswords(w, {"first1", "first1"});
        w.Dialogs.AnswerYesNo(false);
        Run(w, true);
        QCOMPARE(w.Dialogs.Shown().size(), 1);
        QCOMPARE(Read(path), Sample(100));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{"plan.doc"});
    }

    // The file of a request is the one the chooser returned, never the text
    // typed into TxtFileName.
    void requestFromChosenPath() {
        QTemporaryDir folder;
        const QString chosen = folder.filePath(QStringLiteral("chosen.doc"));
        const QString typed = folder.filePath(QStringLiteral("typed.doc"));
        Write(chosen, Sample(100));
        Write(typed, Sample(100));
        ShownWindow w;
        w.Click("ChkBak");
        w.Click("ChkMarkFile");
        TypePasswords(w, {"first1", "first1"});
        w.Box("TxtFileName")->clear();
        w.Type("TxtFileName", typed);
        Run(w, false);
        QCOMPARE(w.Dialogs.Messages()[0].Text, QStringLiteral("你指定的文件不存在！"));

        w.ChooseFile(chosen);
        w.Box("TxtFileName")->clear();
        w.Type("TxtFileName", typed);
        Run(w, false);
        QCOMPARE(w.Dialogs.Messages()[0].Text, QStringLiteral("操作成功！"));
        QVERIFY(Read(chosen) != Sample(100));
        QCOMPARE(Read(typed), Sample(100));
        QCOMPARE(w.Box("TxtFileName")->text(), typed);
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
        const QDir dir(folder.path());
        const QString plainPath = dir.filePath(QStringLiteral("plan.doc"));
        const QString markedPath = dir.filePath(marked);
        const QByteArray plain = Sample(30000);
        Write(plainPath, plain);

        ShownWindow w;
        w.ChooseFile(plainPath);
        if (topSecret) {
            w.Click("OptTopSecret");
        }
        TypePasswords(w, {"first1", "first1", "second2", "second2"});
        QCOMPARE(w.Box("TxtPass3")->isVisible(), topSecret);
        Run(w, false);
        QCOMPARE(w.Dialogs.Messages()[0].Text, QStringLiteral("操作成功！"));
        const QByteArray encrypted = Read(markedPath);
        QCOMPARE(encrypted.size(), plain.size());
        QVERIFY(encrypted.left(20481) != plain.left(20481));
        QCOMPARE(encrypted.mid(20481) == plain.mid(20481), !topSecret);
        QCOMPARE(Read(plainPath + QStringLiteral(".备份")), plain);
        QVERIFY(!QFile::exists(plainPath));
        // The window still names the file as it was chosen.
        QCOMPARE(w.Window->ChosenPath(), plainPath);
        QCOMPARE(w.Box("TxtFileName")->text(), plainPath);
        Run(w, false);
        QCOMPARE(w.Dialogs.Messages()[0].Text, QStringLiteral("你指定的文件不存在！"));

        w.Click("OptDecryptTask");
        w.ChooseFile(markedPath);
        Run(w, true);
        QCOMPARE(w.Dialogs.Shown()[0].Text, Confirmation);
        QCOMPARE(w.Dialogs.Messages()[0].Text, QStringLiteral("操作成功！"));
        QCOMPARE(Read(plainPath), plain);
        QCOMPARE(Read(markedPath + QStringLiteral(".BAK")), encrypted);
        QVERIFY(!QFile::exists(markedPath));
    }
};

QTEST_MAIN(MainWindowCommandsTest)
#include "main_window_commands_test.moc"
