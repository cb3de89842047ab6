// SPDX-License-Identifier: GPL-3.0-or-later
// The file chooser with its filter, the checks on leaving a password box, and
// the program's own dialogs as they are set up before they are shown.

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileSystemModel>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>

#include "engine/product.h"
#include "file_type_filter.h"
#include "qt_modal_dialogs.h"
#include "ui/application/application_setup.h"
#include "window_driver.h"

using quarnix::MessageIcon;
using quarnix::testing::Driver;

namespace {

const QString Filter = QStringLiteral(
    "所有文件(*.*)|*.*|Word文档(*.doc)|*.doc|Excel工作簿(*.xls)|*.xls|AutoCAD文件(*.dwg)|*.dwg|"
    "WinRAR文件(*.rar)|*.rar|CorelDRAW文件(*.cdr)|*.cdr");
const QStringList Entries{"所有文件(*.*)",      "Word文档(*.doc)",   "Excel工作簿(*.xls)",
                          "AutoCAD文件(*.dwg)", "WinRAR文件(*.rar)", "CorelDRAW文件(*.cdr)"};
const QString Error = QStringLiteral("错误");
const QString Warning = QStringLiteral("警告");
const QString Password1Empty = QStringLiteral("密码不能为空！");
const QString Password2Empty = QStringLiteral("密码2不能为空！");
const QString SameAsPassword1 = QStringLiteral("你输入的密码2与上面的第一组密码相同，请重新输入！");
const QString TooShort = QStringLiteral("你输入的密码2太短，至少是5位密码。请重新输入！");

}  // namespace

class MainWindowChecksTest : public QObject {
    Q_OBJECT
  private slots:
    // Qt's file dialog keeps its state in the user's settings: not the real ones.
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        quarnix::SetUpApplication(*qobject_cast<QApplication*>(QCoreApplication::instance()));
    }

    void fileChooser() {
        Driver w;
        w.Type("TxtFileName", QStringLiteral("/typed.doc"));
        QString typedWhileShown = QStringLiteral("?");
        w.Dialogs.WhileOpen = [&] { typedWhileShown = w.Box("TxtFileName")->text(); };
        w.ChooseFile(QString());  // cancelled before any choice
        QCOMPARE(w.Dialogs.Messages(), QStringList{"文件不存在！"});
        QCOMPARE(w.Dialogs.Log[1].Title, Error);
        QCOMPARE(w.Dialogs.Log[1].Icon, MessageIcon::Critical);
        QVERIFY(typedWhileShown.isEmpty() && w.Window->ChosenPath().isEmpty());
        w.Dialogs.WhileOpen = nullptr;

        w.ChooseFile(QStringLiteral("/data/first.doc"));
        w.Click("OptDecryptTask");
        w.ChooseFile(QStringLiteral("/data/second.xls"));
        w.Click("OptEncryptTask");
        w.Type("TxtFileName", QStringLiteral("junk"));
        w.ChooseFile(QString());  // cancelled: the last choice comes back, no message
        QCOMPARE(w.Box("TxtFileName")->text(), QStringLiteral("/data/second.xls"));
        QCOMPARE(w.Window->ChosenPath(), QStringLiteral("/data/second.xls"));
        QCOMPARE(w.Dialogs.Messages().size(), 1);
        const auto& log = w.Dialogs.Log;
        QCOMPARE(log.size(), 5);
        QCOMPARE((QStringList{log[2].Title, log[3].Title, log[4].Title}),
                 (QStringList{"选择要加密的文件", "选择要解密的文件", "选择要加密的文件"}));
        QCOMPARE((QStringList{log[2].CurrentName, log[3].CurrentName, log[4].CurrentName}),
                 (QStringList{"", "/data/first.doc", "/data/second.xls"}));
        QCOMPARE(log[4].Filter, Filter);
    }

    void filterEntries() {
        const auto entries = quarnix::ParseFileTypeFilter(Filter);
        QCOMPARE(entries.size(), 6);
        const QStringList patterns{"*", "*.doc", "*.xls", "*.dwg", "*.rar", "*.cdr"};
        for (qsizetype i = 0; i < entries.size(); ++i) {
            QCOMPARE(entries[i].Description, Entries[i]);
            QCOMPARE(entries[i].Patterns, QStringList{patterns[i]});
        }
        const auto several = quarnix::ParseFileTypeFilter(QStringLiteral("Docs|*.doc; *.*|Odd"));
        QCOMPARE(several.size(), 1);
        QCOMPARE(several[0].Patterns, (QStringList{"*.doc", "*"}));
    }

    // Qt's dialog as the program sets it up: in Chinese, the entries as
    // written, and the first one listing names without a dot.
    void theProgramsFileDialog() {
        QTemporaryDir folder;
        for (const char* name : {"README", "plan.doc"}) {
            QFile file(folder.filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("12") == 2);
        }
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("sub")));
        auto dialog = quarnix::MakeOpenFileDialog(nullptr, QStringLiteral("选择要加密的文件"),
                                                  Filter, folder.filePath("plan.doc"));
        QCOMPARE(dialog->windowTitle(), QStringLiteral("选择要加密的文件"));
        QCOMPARE(dialog->nameFilters(), Entries);
        QCOMPARE(dialog->selectedFiles(), QStringList{folder.filePath("plan.doc")});
        auto* model = dialog->findChild<QFileSystemModel*>();
        QSignalSpy loaded(model, &QFileSystemModel::directoryLoaded);
        const auto folderLoaded = [&] {
            for (const QList<QVariant>& emitted : loaded) {
                if (QDir(emitted.value(0).toString()) == QDir(folder.path())) {
                    return true;
                }
            }
            return false;
        };
        while (!folderLoaded()) {  // the dialog may load another folder first
            QVERIFY(loaded.wait());
        }
        // As the dialog's detail view shows them: name, size, type, date.
        QStringList listed;
        const auto* view = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
        const QModelIndex root = view->rootIndex();
        for (int row = 0; row < view->model()->rowCount(root); ++row) {
            QStringList columns;
            for (int column = 0; column < 3; ++column) {
                columns.append(view->model()->index(row, column, root).data().toString());
            }
            listed.append(columns.join(u'|'));
        }
        listed.sort();
        QCOMPARE(listed, (QStringList{"README|2 字节|README 文档", "plan.doc|2 字节|Word 文档",
                                      "sub||文件夹"}));
        const QString date = view->model()->index(0, 3, root).data().toString();
        QVERIFY2(date.contains(u'/') && date.front().isDigit(), qPrintable(date));
        const QStringList texts{
            dialog->findChild<QLabel*>(QStringLiteral("lookInLabel"))->text(),
            dialog->findChild<QLabel*>(QStringLiteral("fileNameLabel"))->text(),
            dialog->findChild<QLabel*>(QStringLiteral("fileTypeLabel"))->text(),
            dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Open)->text(),
            dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->text()};
        QCOMPARE(texts,
                 (QStringList{"查找范围：", "文件名称(&N)：", "文件类型：", "打开(&O)", "取消"}));

        auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        QTest::keyClick(types, Qt::Key_Down);
        QCOMPARE(model->nameFilters(), QStringList{"*.doc"});
        QTest::keyClick(types, Qt::Key_Up);  // back to all files, as a user picks it
        QCOMPARE(types->currentText(), Entries[0]);
        QCOMPARE(model->nameFilters(), QStringList{"*"});
    }

    // The picked file type stays for the next dialog of the session, with
    // its own patterns, whether a file was chosen or not.
    void theFileDialogKeepsTheLastFileType() {
        quarnix::QtModalDialogs dialogs(nullptr);
        QStringList seen;
        const auto whenOpen = [&seen](bool pick) {
            QTimer::singleShot(0, [&seen, pick] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog != nullptr);
                auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
                if (pick) {
                    QTest::keyClick(types, Qt::Key_Down);
                    QTest::keyClick(types, Qt::Key_Down);
                }
                seen.append(types->currentText() + u' ' +
                            dialog->findChild<QFileSystemModel*>()->nameFilters().join(u' '));
                dialog->reject();
            });
        };
        for (const bool pick : {true, false, false}) {
            whenOpen(pick);
            QVERIFY(
                dialogs.GetOpenFileName(QStringLiteral("选择要加密的文件"), Filter, {}).isEmpty());
        }
        QCOMPARE(seen, (QStringList{"Excel工作簿(*.xls) *.xls", "Excel工作簿(*.xls) *.xls",
                                    "Excel工作簿(*.xls) *.xls"}));
        QCOMPARE(quarnix::MakeOpenFileDialog(nullptr, {}, Filter, {})->selectedNameFilter(),
                 Entries[0]);  // a new window starts at the first entry
    }

    // The program's message boxes: Qt's buttons in Chinese, and wide enough
    // for a window manager to show the whole title over a short text.
    void theProgramsMessageBoxes() {
        auto stop = quarnix::MakeMessageBox(nullptr, QStringLiteral("文件不存在！"), Error,
                                            MessageIcon::Critical);
        QCOMPARE(stop->icon(), QMessageBox::Critical);
        QCOMPARE(stop->windowTitle(), Error);
        QCOMPARE(stop->standardButtons(), QMessageBox::Ok);
        QCOMPARE(stop->button(QMessageBox::Ok)->text(), QStringLiteral("确定"));
        auto done = quarnix::MakeMessageBox(nullptr, QStringLiteral("操作成功！"),
                                            QString::fromUtf16(quarnix::ApplicationTitle),
                                            MessageIcon::None);
        done->show();
        QFont bold = done->font();
        bold.setBold(true);
        const int title =
            QFontMetrics(bold).horizontalAdvance(QString::fromUtf16(quarnix::ApplicationTitle));
        // The title a quarter larger, beside an icon and three buttons.
        QVERIFY2(done->width() >= title * 5 / 4 + 4 * done->fontMetrics().height(),
                 qPrintable(QString::number(done->width())));
        done->hide();
        QCOMPARE(quarnix::MakeMessageBox(nullptr, {}, {}, MessageIcon::Exclamation)->icon(),
                 QMessageBox::Warning);
        QCOMPARE(quarnix::MakeMessageBox(nullptr, {}, {}, MessageIcon::None)->icon(),
                 QMessageBox::NoIcon);
        auto question = quarnix::MakeYesNoBox(nullptr, QStringLiteral("一\r\n二？"),
                                              QStringLiteral("友情提示"));
        QCOMPARE(question->text(), QStringLiteral("一\n二？"));
        QCOMPARE(question->icon(), QMessageBox::NoIcon);
        QCOMPARE(question->standardButtons(), QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(question->standardButton(question->defaultButton()), QMessageBox::Yes);
        QCOMPARE(question->button(QMessageBox::Yes)->text(), QStringLiteral("是(&Y)"));
        QCOMPARE(question->button(QMessageBox::No)->text(), QStringLiteral("否(&N)"));
        auto caution = quarnix::MakeYesNoBox(nullptr, {}, {}, QMessageBox::No);
        QCOMPARE(caution->standardButton(caution->defaultButton()), QMessageBox::No);
    }

    // The box is neither cleared nor taken back; blanks are not empty.
    void leavingPassword1() {
        Driver w;
        w.Click("OptDecryptTask");  // in either task
        w.Click("TxtPass1");
        w.Click("TxtPass2");
        QCOMPARE(w.Dialogs.Messages(), QStringList{Password1Empty});
        QCOMPARE(w.Dialogs.Log[0].Title, Error);
        QCOMPARE(w.Dialogs.Log[0].Icon, MessageIcon::Exclamation);
        QCOMPARE(w.Focus(), QStringLiteral("TxtPass2"));
        w.Type("TxtPass1", QStringLiteral(" "));
        w.Key(Qt::Key_Tab);
        QCOMPARE(w.Dialogs.Log.size(), 1);
    }

    void leavingPassword2_data() {
        QTest::addColumn<QString>("password1");
        QTest::addColumn<QString>("password2");
        QTest::addColumn<QString>("message");  // "" for none
        QTest::newRow("empty") << ""
                               << "" << Password2Empty;
        QTest::newRow("same") << "abcdef"
                              << "abcdef" << SameAsPassword1;
        QTest::newRow("same and short") << "abc"
                                        << "abc" << SameAsPassword1;
        QTest::newRow("case differs") << "Abcdef"
                                      << "abcdef"
                                      << "";
        QTest::newRow("4 characters") << "abcdef"
                                      << "abcd" << TooShort;
        QTest::newRow("5 characters") << "abcdef"
                                      << "abcde"
                                      << "";
        QTest::newRow("4 Chinese") << "abcdef"
                                   << "第二密码" << TooShort;
        QTest::newRow("5 Chinese") << "abcdef"
                                   << "第二个密码"
                                   << "";
        QTest::newRow("5 blanks") << "abcdef"
                                  << "     "
                                  << "";
        QTest::newRow("password 1 empty") << ""
                                          << "xyz12"
                                          << "";
    }
    void leavingPassword2() {
        QFETCH(QString, password1);
        QFETCH(QString, password2);
        QFETCH(QString, message);
        Driver w;
        w.Click("OptTopSecret");
        if (!password1.isEmpty()) {
            w.Type("TxtPass1", password1);
        }
        w.Type("TxtPass3", password2);
        w.Dialogs.Log.clear();
        QString whileShown;
        w.Dialogs.WhileOpen = [&] { whileShown = w.Box("TxtPass3")->text(); };
        w.Click("TxtPass4");
        QCOMPARE(w.Dialogs.Messages(), message.isEmpty() ? QStringList{} : QStringList{message});
        if (message.isEmpty()) {
            QCOMPARE(w.Box("TxtPass3")->text(), password2);
            QCOMPARE(w.Focus(), QStringLiteral("TxtPass4"));
            return;
        }
        QCOMPARE(w.Dialogs.Log[0].Title, message == Password2Empty ? Error : Warning);
        QCOMPARE(w.Dialogs.Log[0].Icon, MessageIcon::Exclamation);
        QCOMPARE(whileShown, password2);  // the message comes before the clearing
        const bool cleared = message != Password2Empty;
        QVERIFY(w.Box("TxtPass3")->text().isEmpty());
        QCOMPARE(w.Focus(), QString::fromLatin1(cleared ? "TxtPass3" : "TxtPass4"));
        if (cleared) {  // leaving the cleared box again
            w.Click("TxtPass4");
            QCOMPARE(w.Dialogs.Messages(), (QStringList{message, Password2Empty}));
            QCOMPARE(w.Focus(), QStringLiteral("TxtPass4"));
        }
    }

    // One leave, at most one message: neither the message box taking the
    // focus nor the check's own move back to TxtPass3 counts as a leave.
    void oneLeaveOneMessage() {
        Driver w;
        w.Dialogs.TakeFocus = true;
        bool focusTaken = false;
        w.Dialogs.WhileOpen = [&] {
            focusTaken = !w.Window->isAncestorOf(QApplication::focusWidget());
        };
        w.Click("OptTopSecret");
        w.Click("TxtPass1");
        w.Click("TxtPass3");  // both empty
        QVERIFY(focusTaken);
        QCOMPARE(w.Dialogs.Messages(), QStringList{Password1Empty});
        w.Type("TxtPass3", QStringLiteral("abc"));
        w.Click("TxtPass1");  // still empty
        QCOMPARE(w.Dialogs.Messages(), (QStringList{Password1Empty, TooShort}));
        QCOMPARE(w.Focus(), QStringLiteral("TxtPass3"));

        QWidget other;  // another window becoming active is no leave
        other.show();
        QApplication::setActiveWindow(&other);
        QApplication::setActiveWindow(w.Window.get());
        QCOMPARE(w.Dialogs.Log.size(), 2);
    }

    // A click on a lower level hides TxtPass3 after its check: one message,
    // and no focus in a hidden box.
    void leavingPassword2ForALowerLevel() {
        Driver w;
        w.Click("OptTopSecret");
        w.Type("TxtPass1", QStringLiteral("abcdef"));
        w.Type("TxtPass3", QStringLiteral("abc"));
        w.Click("OptSecret");
        QCOMPARE(w.Dialogs.Messages(), QStringList{TooShort});
        QVERIFY(!w.Box("TxtPass3")->isVisible() && w.Box("TxtPass3")->text().isEmpty());
        QVERIFY(QApplication::focusWidget()->isVisible());
    }

    // A press on a button moves the focus out of an empty TxtPass1; the
    // message box takes the release, and the button must not stay pressed.
    void aClickCutShortByTheMessage() {
        Driver w;
        QWidget box;  // where the release goes while the message is open
        w.Dialogs.WhileOpen = [&box] { QTest::mouseRelease(&box, Qt::LeftButton); };
        w.Click("TxtPass1");
        auto* encrypt = w.Find<QPushButton>("CmdEncrypt");
        QTest::mousePress(encrypt, Qt::LeftButton);
        QVERIFY(encrypt->isDown());  // the press arrived after the message
        QCoreApplication::processEvents();
        QVERIFY(!encrypt->isDown());
        QCOMPARE(w.Dialogs.Messages(), QStringList{Password1Empty});  // and no command ran
    }
};

QTEST_MAIN(MainWindowChecksTest)
#include "main_window_checks_test.moc"
