// The file chooser behind cmdOpenFile, its filter, and the program's own
// dialogs as they are set up before they are shown.

#include <QComboBox>
#include <QFile>
#include <QFileSystemModel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "file_type_filter.h"
#include "qt_modal_dialogs.h"
#include "window_fixture.h"

using quarnix::OutcomeIcon;
using quarnix::testing::ShownDialog;
using quarnix::testing::ShownWindow;

namespace {

const QString Filter = QStringLiteral(
    "所有文件(*.*)|*.*|Word文档(*.doc)|*.doc|Excel工作簿(*.xls)|*.xls|AutoCAD文件(*.dwg)|*.dwg|"
    "WinRAR文件(*.rar)|*.rar|CorelDRAW文件(*.cdr)|*.cdr");
const QStringList Descriptions{"所有文件(*.*)",      "Word文档(*.doc)",   "Excel工作簿(*.xls)",
                               "AutoCAD文件(*.dwg)", "WinRAR文件(*.rar)", "CorelDRAW文件(*.cdr)"};

}  // namespace

class MainWindowFileChooserTest : public QObject {
    Q_OBJECT
  private slots:
    // Qt's file dialog remembers its state in the user's settings; keep the
    // tests' away from the real ones.
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void titleFollowsTheTask() {
        ShownWindow w;
        w.ChooseFile(QStringLiteral("/data/a.doc"));
        w.Click("OptDecryptTask");
        w.ChooseFile(QStringLiteral("/data/b.doc"));
        w.Click("OptEncryptTask");
        QCOMPARE(w.Window->ChosenPath(), QStringLiteral("/data/b.doc"));
        const QList<ShownDialog> shown = w.Dialogs.Shown();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[0].Title, QStringLiteral("选择要加密的文件"));
        QCOMPARE(shown[1].Title, QStringLiteral("选择要解密的文件"));
        QCOMPARE(shown[0].Filter, Filter);
        QCOMPARE(shown[1].Filter, Filter);
    }

    void cancelBeforeAnyChoice() {
        ShownWindow w;
        w.Type("TxtFileName", QStringLiteral("/typed/by/hand.doc"));
        w.Dialogs.WhileOpen = [&w](const ShownDialog& dialog) {
            if (dialog.What == ShownDialog::Kind::Message) {
                QVERIFY(w.Box("TxtFileName")->text().isEmpty());  // emptied before the message
            }
        };
        w.ChooseFile(QString());
        QCOMPARE(w.Dialogs.Shown().size(), 2);
        QCOMPARE(w.Dialogs.Shown()[0].CurrentName, QString());
        const ShownDialog message = w.Dialogs.Shown()[1];
        QCOMPARE(message.What, ShownDialog::Kind::Message);
        QCOMPARE(message.Text, QStringLiteral("文件不存在！"));
        QCOMPARE(message.Title, QStringLiteral("错误"));
        QCOMPARE(message.Icon, OutcomeIcon::Critical);
        QVERIFY(w.Box("TxtFileName")->text().isEmpty());
        QVERIFY(w.Window->ChosenPath().isEmpty());
    }

    // The dialog keeps the name it last returned: it opens with it, and a
    // cancel writes it back over whatever was typed.
    void cancelAfterAChoice() {
        ShownWindow w;
        w.ChooseFile(QStringLiteral("/data/first.doc"));
        w.ChooseFile(QStringLiteral("/data/second.xls"));
        w.Type("TxtFileName", QStringLiteral("junk"));
        w.ChooseFile(QString());
        QCOMPARE(w.Box("TxtFileName")->text(), QStringLiteral("/data/second.xls"));
        QCOMPARE(w.Window->ChosenPath(), QStringLiteral("/data/second.xls"));
        const QList<ShownDialog> shown = w.Dialogs.Shown();
        QCOMPARE(shown.size(), 3);  // no message
        QCOMPARE(shown[1].CurrentName, QStringLiteral("/data/first.doc"));
        QCOMPARE(shown[2].CurrentName, QStringLiteral("/data/second.xls"));
    }

    void filterEntries() {
        const QList<quarnix::FileTypeEntry> entries = quarnix::ParseFileTypeFilter(Filter);
        QCOMPARE(entries.size(), 6);
        const QStringList patterns{"*", "*.doc", "*.xls", "*.dwg", "*.rar", "*.cdr"};
        for (qsizetype i = 0; i < entries.size(); ++i) {
            QCOMPARE(entries[i].Description, Descriptions[i]);
            QCOMPARE(entries[i].Patterns, QStringList{patterns[i]});
        }
        const auto several = quarnix::ParseFileTypeFilter(QStringLiteral("Docs|*.doc; *.*|Odd"));
        QCOMPARE(several.size(), 1);
        QCOMPARE(several[0].Patterns, (QStringList{"*.doc", "*"}));
    }

    // Qt's dialog as the program sets it up: the entries shown as written,
    // and the first one listing names without a dot.
    void theProgramsFileDialog() {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        for (const char* name : {"README", "plan.doc", "sheet.xls"}) {
            QFile file(folder.filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        auto dialog = quarnix::MakeOpenFileDialog(nullptr, QStringLiteral("选择要加密的文件"),
                                                  Filter, QString());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("选择要加密的文件"));
        QCOMPARE(dialog->nameFilters(), Descriptions);
        QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
        auto* model = dialog->findChild<QFileSystemModel*>();
        QVERIFY(model != nullptr);
        QCOMPARE(model->nameFilters(), QStringList{"*"});

        QSignalSpy loaded(model, &QFileSystemModel::directoryLoaded);
        dialog->setDirectory(folder.path());
        // The dialog may load the folder it started in first.
        const auto folderLoaded = [&loaded, &folder] {
            for (const QList<QVariant>& emitted : loaded) {
                if (QDir(emitted.value(0).toString()) == QDir(folder.path())) {
                    return true;
                }
            }
            return false;
        };
        while (!folderLoaded()) {
            QVERIFY(loaded.wait());
        }
        QStringList listed;
        const QModelIndex root = model->index(folder.path());
        for (int row = 0; row < model->rowCount(root); ++row) {
            listed.append(model->index(row, 0, root).data().toString());
        }
        listed.sort();
        QCOMPARE(listed, (QStringList{"README", "plan.doc", "sheet.xls"}));

        // Choosing another entry, and the first again, as a user does.
        auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        QVERIFY(types != nullptr);
        QTest::keyClick(types, Qt::Key_Down);
        QCOMPARE(types->currentText(), Descriptions[1]);
        QCOMPARE(model->nameFilters(), QStringList{"*.doc"});
        QTest::keyClick(types, Qt::Key_Up);
        QCOMPARE(types->currentText(), Descriptions[0]);
        QCOMPARE(model->nameFilters(), QStringList{"*"});
    }

    void theProgramsFileDialogOpensWithTheLastName() {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("chosen.doc"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        auto dialog = quarnix::MakeOpenFileDialog(nullptr, QStringLiteral("t"), Filter, path);
        QCOMPARE(dialog->directory().absolutePath(), QDir(folder.path()).absolutePath());
        QCOMPARE(dialog->selectedFiles(), QStringList{path});
    }

    void theProgramsMessageBoxes_data() {
        QTest::addColumn<OutcomeIcon>("icon");
        QTest::addColumn<QMessageBox::Icon>("shown");
        QTest::newRow("none") << OutcomeIcon::None << QMessageBox::NoIcon;
        QTest::newRow("critical") << OutcomeIcon::Critical << QMessageBox::Critical;
        QTest::newRow("exclamation") << OutcomeIcon::Exclamation << QMessageBox::Warning;
    }
    void theProgramsMessageBoxes() {
        QFETCH(OutcomeIcon, icon);
        QFETCH(QMessageBox::Icon, shown);
        auto box = quarnix::MakeMessageBox(nullptr, QStringLiteral("文件不存在！"),
                                           QStringLiteral("错误"), icon);
        QCOMPARE(box->icon(), shown);
        QCOMPARE(box->text(), QStringLiteral("文件不存在！"));
        QCOMPARE(box->windowTitle(), QStringLiteral("错误"));
        QCOMPARE(box->standardButtons(), QMessageBox::Ok);
    }

    void theProgramsQuestion() {
        auto box = quarnix::MakeYesNoBox(nullptr, QStringLiteral("第一行\r\n第二行？"),
                                         QStringLiteral("友情提示"));
        QCOMPARE(box->text(), QStringLiteral("第一行\n第二行？"));
        QCOMPARE(box->windowTitle(), QStringLiteral("友情提示"));
        QCOMPARE(box->icon(), QMessageBox::NoIcon);
        QCOMPARE(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(box->standardButton(box->defaultButton()), QMessageBox::Yes);
    }
};

QTEST_MAIN(MainWindowFileChooserTest)
#include "main_window_file_chooser_test.moc"
