// SPDX-License-Identifier: GPL-3.0-or-later
// The keyboard as the program was designed for it: Alt with a letter that is
// no accelerator types nothing anywhere, Alt+B is a click on cmdOpenFile with
// everything a mouse click brings, Enter presses a focused button, and the
// arrow keys go round each option group.

#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStandardPaths>

#include "qt_modal_dialogs.h"
#include "ui/about_window/about_window_keeper.h"
#include "ui/about_window/frm_about.h"
#include "ui/about_window/link_label.h"
#include "ui/application/application_setup.h"
#include "window_driver.h"

using quarnix::testing::Driver;

namespace {

// What the user sees after a click on cmdOpenFile, however it came.
struct Seen {
    QStringList dialogs;  // kind and text, in order
    QString focus;
    QString password2;
    bool operator==(const Seen&) const = default;
};

Seen SeenIn(const Driver& w) {
    Seen seen{{}, w.Focus(), w.Box("TxtPass3")->text()};
    for (const auto& dialog : w.Dialogs.Log) {
        seen.dialogs.append(dialog.Kind + u':' + dialog.Text);
    }
    return seen;
}

void Prepare(Driver& w, const QString& password1, const QString& password2, const char* leaving) {
    w.Click("OptTopSecret");
    if (!password1.isEmpty()) {
        w.Type("TxtPass1", password1);
    }
    if (!password2.isEmpty()) {
        w.Type("TxtPass3", password2);
    }
    w.Click(leaving);
    w.Dialogs.Log.clear();
    w.Dialogs.Files = {QStringLiteral("/data/plan.doc")};
}

}  // namespace

class MainWindowKeysTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        quarnix::SetUpApplication(*qobject_cast<QApplication*>(QCoreApplication::instance()));
    }

    // On Linux such a key reaches a text box as its bare letter: ten of them
    // once changed a password unseen.
    void altLetterTypesNothing() {
        Driver w;
        w.Click("OptTopSecret");
        w.Click("PicInfor");
        quarnix::frmAbout* about = quarnix::AboutWindowKeeper::ForProgram().OpenWindow();
        QTest::mouseClick(about->LblXKXY, Qt::LeftButton);
        auto dialog = quarnix::MakeOpenFileDialog(nullptr, QStringLiteral("选择要加密的文件"),
                                                  QStringLiteral("所有文件(*.*)|*.*"), QString());
        QList<QWidget*> boxes{about->TxtXKXY, dialog->findChild<QLineEdit*>("fileNameEdit")};
        for (const char* name : {"TxtPass1", "TxtPass2", "TxtPass3", "TxtPass4"}) {
            boxes.append(w.Box(name));
        }
        const auto textOf = [](QWidget* box) {
            const auto* plain = qobject_cast<QPlainTextEdit*>(box);
            return plain != nullptr ? plain->toPlainText() : qobject_cast<QLineEdit*>(box)->text();
        };
        for (QWidget* box : boxes) {
            const QString empty = textOf(box);
            QTest::keyClicks(box, QStringLiteral("ab"));
            const QString before = textOf(box);
            QVERIFY2(before.size() == empty.size() + 2, qPrintable(box->objectName()));
            for (const Qt::Key key : {Qt::Key_A, Qt::Key_C, Qt::Key_Q, Qt::Key_X, Qt::Key_1}) {
                QTest::keyClick(box, key, Qt::AltModifier);
                QTest::keyClick(box, key, Qt::AltModifier | Qt::ShiftModifier);
            }
            QCOMPARE(textOf(box), before);
        }
        about->close();
        QVERIFY(w.Dialogs.Log.isEmpty());
    }

    // Alt+B gives what a mouse click on cmdOpenFile gives: the focus moves,
    // the box left is checked, and a message of that check takes the click's
    // place (its release goes to the message box).
    void altBIsAClickOnBrowse_data() {
        QTest::addColumn<QString>("password1");
        QTest::addColumn<QString>("password2");
        QTest::addColumn<QString>("leaving");
        QTest::addColumn<QStringList>("dialogs");
        QTest::addColumn<QString>("focus");
        QTest::newRow("password 1 empty")
            << ""
            << ""
            << "TxtPass1" << QStringList{"message:密码不能为空！"} << "cmdOpenFile";
        QTest::newRow("password 2 too short")
            << "first1"
            << "abc"
            << "TxtPass3" << QStringList{"message:你输入的密码2太短，至少是5位密码。请重新输入！"}
            << "TxtPass3";
        QTest::newRow("nothing to say") << "first1"
                                        << "second2"
                                        << "TxtPass3" << QStringList{"open:"} << "cmdOpenFile";
        QTest::newRow("from another box") << ""
                                          << ""
                                          << "TxtFileName" << QStringList{"open:"} << "cmdOpenFile";
    }
    void altBIsAClickOnBrowse() {
        QFETCH(QString, password1);
        QFETCH(QString, password2);
        QFETCH(QString, leaving);
        QFETCH(QStringList, dialogs);
        QFETCH(QString, focus);
        const QByteArray from = leaving.toLatin1();

        Driver mouse;
        Prepare(mouse, password1, password2, from.constData());
        auto* button = mouse.Find<QPushButton>("cmdOpenFile");
        QWidget box;
        bool released = false;
        mouse.Dialogs.WhileOpen = [&] {
            if (!released) {
                released = true;
                QTest::mouseRelease(&box, Qt::LeftButton);
            }
        };
        QTest::mousePress(button, Qt::LeftButton);
        if (!released) {
            released = true;
            QTest::mouseRelease(button, Qt::LeftButton);
        }
        QCoreApplication::processEvents();

        Driver keys;
        Prepare(keys, password1, password2, from.constData());
        auto* browse = keys.Find<QPushButton>("cmdOpenFile");
        QSignalSpy clicked(browse, &QPushButton::clicked);
        keys.Key(Qt::Key_B, Qt::AltModifier);
        if (browse->isDown()) {  // pressed: it comes up clicked
            QVERIFY(clicked.wait());
        }

        const Seen seen = SeenIn(keys);
        QCOMPARE(seen.dialogs, dialogs);
        QCOMPARE(seen.focus, focus);
        QVERIFY(SeenIn(mouse) == seen);
        QVERIFY(!button->isDown() && !browse->isDown());
    }

    // Enter on a focused button presses it, as Space does and as on Windows.
    void enterPressesTheFocusedButton_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("keypad");
        QTest::addColumn<QString>("seen");  // the first dialog's kind, or "closed"
        QTest::newRow("browse") << "cmdOpenFile" << false << "open";
        QTest::newRow("encrypt, keypad") << "CmdEncrypt" << true << "message";
        QTest::newRow("quit") << "CmdQuit" << false << "closed";
    }
    void enterPressesTheFocusedButton() {
        QFETCH(QString, button);
        QFETCH(bool, keypad);
        QFETCH(QString, seen);
        Driver w;
        auto* pressed = w.Find<QPushButton>(button.toLatin1().constData());
        pressed->setFocus(Qt::TabFocusReason);
        QSignalSpy clicked(pressed, &QPushButton::clicked);
        if (keypad) {
            w.Key(Qt::Key_Enter, Qt::KeypadModifier);
        } else {
            w.Key(Qt::Key_Return);
        }
        QVERIFY(clicked.wait());
        QCOMPARE(clicked.size(), 1);
        if (seen == u"closed") {
            QVERIFY(!w.Window->isVisible());
        } else {
            QVERIFY(!w.Dialogs.Log.isEmpty());
            QCOMPARE(w.Dialogs.Log[0].Kind, seen);
        }
    }

    // As on Windows: Right and Down to the next option, Left and Up back,
    // round the ends of the group; the option is selected, its handler runs.
    void arrowKeysGoRoundEachGroup() {
        Driver w;
        w.Click("OptSecret");
        const struct {
            Qt::Key key;
            const char* selected;
        } steps[] = {
            {Qt::Key_Right, "OptSecretter"},  {Qt::Key_Down, "OptTopSecret"},
            {Qt::Key_Right, "OptSecret"},     {Qt::Key_Up, "OptTopSecret"},
            {Qt::Key_Left, "OptSecretter"},   {Qt::Key_Tab, "OptEncryptTask"},
            {Qt::Key_Down, "OptDecryptTask"}, {Qt::Key_Right, "OptEncryptTask"},
            {Qt::Key_Left, "OptDecryptTask"},
        };
        for (const auto& step : steps) {
            w.Key(step.key);
            QCOMPARE(w.Focus(), QString::fromLatin1(step.selected));
            QVERIFY(w.Find<QRadioButton>(step.selected)->isChecked());
            if (step.key == Qt::Key_Down && QByteArray(step.selected) == "OptTopSecret") {
                QVERIFY(w.Box("TxtPass3")->isVisible());
            }
        }
        QVERIFY(w.Find("CmdDecrypt")->isVisible() && !w.Find("CmdEncrypt")->isVisible());
        QVERIFY(!w.Box("TxtPass3")->isVisible());  // left at OptSecretter
        QVERIFY(w.Dialogs.Log.isEmpty());
    }
};

QTEST_MAIN(MainWindowKeysTest)
#include "main_window_keys_test.moc"
