// The checks made on leaving the box of password 1 or of password 2.

#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "window_fixture.h"

using quarnix::OutcomeIcon;
using quarnix::testing::ShownDialog;
using quarnix::testing::ShownWindow;

namespace {

const QString Password1Empty = QStringLiteral("密码不能为空！");
const QString Password2Empty = QStringLiteral("密码2不能为空！");
const QString SameAsPassword1 = QStringLiteral("你输入的密码2与上面的第一组密码相同，请重新输入！");
const QString TooShort = QStringLiteral("你输入的密码2太短，至少是5位密码。请重新输入！");

QStringList MessageTexts(const ShownWindow& w) {
    QStringList texts;
    for (const ShownDialog& message : w.Dialogs.Messages()) {
        texts.append(message.Text);
    }
    return texts;
}

}  // namespace

class MainWindowPasswordChecksTest : public QObject {
    Q_OBJECT
  private slots:
    void leavingPassword1() {
        ShownWindow w;
        w.Click("OptDecryptTask");  // the checks run in either task
        w.Click("TxtPass1");
        w.Click("TxtPass2");
        QCOMPARE(w.Dialogs.Messages().size(), 1);
        const ShownDialog message = w.Dialogs.Messages()[0];
        QCOMPARE(message.Text, Password1Empty);
        QCOMPARE(message.Title, QStringLiteral("错误"));
        QCOMPARE(message.Icon, OutcomeIcon::Exclamation);
        QCOMPARE(w.FocusName(), QStringLiteral("TxtPass2"));  // not taken back

        w.Dialogs.Forget();
        w.Type("TxtPass1", QStringLiteral(" "));  // blanks are not empty
        w.Key(Qt::Key_Tab);
        QVERIFY(w.Dialogs.Shown().isEmpty());
    }

    void leavingPassword2_data() {
        QTest::addColumn<QString>("password1");
        QTest::addColumn<QString>("password2");
        QTest::addColumn<QString>("message");  // empty: none
        QTest::addColumn<QString>("title");
        QTest::newRow("empty") << ""
                               << "" << Password2Empty << "错误";
        QTest::newRow("same as password 1") << "abcdef"
                                            << "abcdef" << SameAsPassword1 << "警告";
        QTest::newRow("same and short") << "abc"
                                        << "abc" << SameAsPassword1 << "警告";
        QTest::newRow("differs in case only") << "Abcdef"
                                              << "abcdef"
                                              << ""
                                              << "";
        QTest::newRow("4 characters") << "abcdef"
                                      << "abcd" << TooShort << "警告";
        QTest::newRow("5 characters") << "abcdef"
                                      << "abcde"
                                      << ""
                                      << "";
        QTest::newRow("4 Chinese") << "abcdef"
                                   << "第二密码" << TooShort << "警告";
        QTest::newRow("5 Chinese") << "abcdef"
                                   << "第二个密码"
                                   << ""
                                   << "";
        QTest::newRow("5 blanks") << "abcdef"
                                  << "     "
                                  << ""
                                  << "";
        QTest::newRow("password 1 empty") << ""
                                          << "xyz12"
                                          << ""
                                          << "";
    }
    void leavingPassword2() {
        QFETCH(QString, password1);
        QFETCH(QString, password2);
        QFETCH(QString, message);
        QFETCH(QString, title);
        ShownWindow w;
        w.Click("OptTopSecret");
        if (!password1.isEmpty()) {
            w.Type("TxtPass1", password1);
        }
        w.Type("TxtPass3", password2);
        w.Dialogs.Forget();
        QString textWhileShown;
        w.Dialogs.WhileOpen = [&](const ShownDialog&) {
            textWhileShown = w.Box("TxtPass3")->text();
        };
        w.Click("TxtPass4");

        if (message.isEmpty()) {
            QVERIFY(w.Dialogs.Shown().isEmpty());
            QCOMPARE(w.FocusName(), QStringLiteral("TxtPass4"));
            QCOMPARE(w.Box("TxtPass3")->text(), password2);
            return;
        }
        QCOMPARE(w.Dialogs.Messages().size(), 1);
        const ShownDialog shown = w.Dialogs.Messages()[0];
        QCOMPARE(shown.Text, message);
        QCOMPARE(shown.Title, title);
        QCOMPARE(shown.Icon, OutcomeIcon::Exclamation);
        QCOMPARE(textWhileShown, password2);  // the message comes before the clearing
        if (message == Password2Empty) {
            QCOMPARE(w.FocusName(), QStringLiteral("TxtPass4"));
        } else {
            QVERIFY(w.Box("TxtPass3")->text().isEmpty());
            QCOMPARE(w.FocusName(), QStringLiteral("TxtPass3"));
        }
    }

    void leavingAClearedPassword2Again() {
        ShownWindow w;
        w.Click("OptTopSecret");
        w.Type("TxtPass1", QStringLiteral("abcdef"));
        w.Type("TxtPass3", QStringLiteral("abcdef"));
        w.Click("TxtPass4");
        w.Click("TxtPass4");
        QCOMPARE(MessageTexts(w), (QStringList{SameAsPassword1, Password2Empty}));
        QCOMPARE(w.FocusName(), QStringLiteral("TxtPass4"));
    }

    // A message box takes the focus from the box the user went to; that is
    // not a leave of that box.
    void oneLeaveOneMessageWhenTheBoxTakesTheFocus() {
        ShownWindow w;
        w.Dialogs.TakeFocusWhileOpen(true);
        bool focusTaken = false;
        w.Dialogs.WhileOpen = [&](const ShownDialog&) {
            focusTaken = !w.Window->isAncestorOf(QApplication::focusWidget());
        };
        w.Click("OptTopSecret");
        w.Click("TxtPass1");
        w.Click("TxtPass3");  // both empty
        QVERIFY(focusTaken);
        QCOMPARE(MessageTexts(w), QStringList{Password1Empty});
        QCOMPARE(w.FocusName(), QStringLiteral("TxtPass3"));
    }

    // The check's own move of the focus back to TxtPass3 is not a leave of
    // the box the user went to.
    void oneLeaveOneMessageWhenTheCheckMovesTheFocus() {
        ShownWindow w;
        w.Dialogs.TakeFocusWhileOpen(true);
        w.Click("OptTopSecret");
        w.Type("TxtPass3", QStringLiteral("abc"));
        w.Click("TxtPass1");  // empty
        QCOMPARE(MessageTexts(w), QStringList{TooShort});
        QCOMPARE(w.FocusName(), QStringLiteral("TxtPass3"));
        QVERIFY(w.Box("TxtPass3")->text().isEmpty());
    }

    // Clicking a lower level hides TxtPass3 after its check has run: one
    // message, and the focus is not left in a hidden box.
    void leavingPassword2ForALowerLevel() {
        ShownWindow w;
        w.Click("OptTopSecret");
        w.Type("TxtPass1", QStringLiteral("abcdef"));
        w.Type("TxtPass3", QStringLiteral("abc"));
        w.Click("OptSecret");
        QCOMPARE(MessageTexts(w), QStringList{TooShort});
        QVERIFY(w.Find<QRadioButton>("OptSecret")->isChecked());
        QVERIFY(!w.Box("TxtPass3")->isVisible());
        QVERIFY(w.Box("TxtPass3")->text().isEmpty());
        QVERIFY(QApplication::focusWidget() == nullptr || QApplication::focusWidget()->isVisible());
    }

    // A press on a button that moves the focus out of an empty TxtPass1: the
    // message box takes the release, and the button must not stay pressed.
    void aClickCutShortByTheMessage() {
        ShownWindow w;
        w.Dialogs.TakeFocusWhileOpen(true);
        w.Click("TxtPass1");
        auto* encrypt = w.Find<QPushButton>("CmdEncrypt");
        QTest::mousePress(encrypt, Qt::LeftButton);  // its release went to the message box
        QVERIFY(encrypt->isDown());                  // the press arrived after the message
        QCoreApplication::processEvents();
        QVERIFY(!encrypt->isDown());
        QCOMPARE(MessageTexts(w), QStringList{Password1Empty});  // and no command ran
    }

    // Another window becoming active is no leave.
    void switchingWindowsIsNoLeave() {
        ShownWindow w;
        w.Click("TxtPass1");
        QWidget other;
        other.show();
        QApplication::setActiveWindow(&other);
        QApplication::setActiveWindow(w.Window.get());
        QVERIFY(w.Dialogs.Shown().isEmpty());
        QCOMPARE(w.FocusName(), QStringLiteral("TxtPass1"));
    }
};

QTEST_MAIN(MainWindowPasswordChecksTest)
#include "main_window_password_checks_test.moc"
