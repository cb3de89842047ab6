// SPDX-License-Identifier: GPL-3.0-or-later
// Long file work through the window: the progress dialog shows only when the
// work takes a while, the window takes no input meanwhile, a cancel or a
// close leaves the file as it was, and the outcome is shown as before. Slow
// work is work held at a read of the file until the test lets it go; only
// fastWorkShowsNoDialog counts on a small file taking less than half a second.
// Before the work, the command reads the start of the file for a look at its
// content: one read, two where TopSecret rotates the file.

#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include "engine/product.h"
#include "held_file_ops.h"
#include "qt_modal_dialogs.h"
#include "window_driver.h"

using quarnix::testing::Driver;
using quarnix::testing::HeldFileOps;
using quarnix::testing::Read;
using quarnix::testing::Sample;
using quarnix::testing::Write;

namespace {

const QString Done = QStringLiteral("操作成功！");

QString CancelledMessage(const QString& path) {
    return QStringLiteral("已取消。文件“") + path + QStringLiteral("”未改动。");
}

// Chooses the file, the level and the backup option, and types password 1.
void Prepare(Driver& w, const QString& path, bool decrypt, bool topSecret, bool backup) {
    if (decrypt) {
        w.Click("OptDecryptTask");
    }
    w.ChooseFile(path);
    w.Type("TxtPass1", QStringLiteral("first1"));
    w.Type("TxtPass2", QStringLiteral("first1"));
    if (topSecret) {
        w.Click("OptTopSecret");
        w.Type("TxtPass3", QStringLiteral("second2"));
        w.Type("TxtPass4", QStringLiteral("second2"));
    }
    if (!backup) {
        w.Click("ChkBak");
    }
    w.Dialogs.Log.clear();
}

void Run(Driver& w) {
    w.Click(w.Find("CmdDecrypt")->isVisible() ? "CmdDecrypt" : "CmdEncrypt");
}

// A click as the window system delivers it: to the main window, at the
// control's place.
void UserClick(const Driver& w, const char* name) {
    QWidget* control = w.Find(name);
    const QPoint at = control->mapTo(w.Window.get(), QPoint(7, control->height() / 2));
    QTest::mouseClick(w.Window->windowHandle(), Qt::LeftButton, Qt::NoModifier, at);
}

// What a user might do to the main window while the work runs: pick a
// level, type into a password box, press Alt+B and press the command button
// (which has the focus) again.
void TryToChange(const Driver& w) {
    QWindow* window = w.Window->windowHandle();
    UserClick(w, "OptSecretter");
    UserClick(w, "TxtPass1");
    QTest::keyClick(window, Qt::Key_X);
    QTest::keyClick(window, Qt::Key_B, Qt::AltModifier);
    QTest::keyClick(window, Qt::Key_Space);
}

// None of TryToChange reached the window.
void VerifyUnchanged(const Driver& w) {
    QVERIFY(!w.Find<QRadioButton>("OptSecretter")->isChecked());
    QCOMPARE(w.Box("TxtPass1")->text(), QStringLiteral("first1"));
    QVERIFY(w.Focus().startsWith(u"Cmd"));
    QCOMPARE(w.Dialogs.Messages().size(), 1);
    for (const auto& dialog : w.Dialogs.Log) {
        QVERIFY(dialog.Kind != u"open");
    }
}

QStringList Kinds(const Driver& w) {
    QStringList kinds;
    for (const auto& dialog : w.Dialogs.Log) {
        kinds.append(dialog.Kind);
    }
    return kinds;
}

QStringList FilesIn(const QTemporaryDir& folder) {
    return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

}  // namespace

class MainWindowProgressTest : public QObject {
    Q_OBJECT
  private slots:
    // Work that ends before the progress dialog's delay shows no dialog. The
    // delay is made long here, so that no machine is too slow for it.
    void fastWorkShowsNoDialog() {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("plan.doc"));
        QVERIFY(Write(path, Sample(30000)));
        Driver w;
        w.Window->SetProgressDelay(std::chrono::minutes(10));
        Prepare(w, path, false, true, true);
        Run(w);
        QCOMPARE(Kinds(w), QStringList{"message"});
        QCOMPARE(w.Dialogs.Messages(), QStringList{Done});
        QCOMPARE(w.Focus(), QStringLiteral("CmdEncrypt"));
    }

    void slowWorkShowsProgressThenOutcome_data() {
        QTest::addColumn<bool>("decrypt");
        QTest::addColumn<bool>("topSecret");
        QTest::addColumn<bool>("backup");
        QTest::addColumn<QString>("phase");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QStringList>("kinds");
        QTest::newRow("encrypt, TopSecret, backup")
            << false << true << true << "正在备份…"
            << "plan(绝密).doc" << QStringList{"progress", "message"};
        // Sample bytes are no Word document: the look at the content asks
        // too, and the progress dialog waits for the answer.
        QTest::newRow("decrypt, Secret")
            << true << false << false << "正在解密…"
            << "plan.doc" << QStringList{"question", "caution", "progress", "message"};
    }
    void slowWorkShowsProgressThenOutcome() {
        QFETCH(bool, decrypt);
        QFETCH(bool, topSecret);
        QFETCH(bool, backup);
        QFETCH(QString, phase);
        QFETCH(QString, result);
        QFETCH(QStringList, kinds);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("plan.doc"));
        QVERIFY(Write(path, Sample(30000)));
        HeldFileOps files;
        files.HoldAt = 2;  // after the look at the content
        Driver w(&files);
        Prepare(w, path, decrypt, topSecret, backup);
        files.WhenHeld = [&] { TryToChange(w); };  // perhaps before the dialog shows
        w.Dialogs.Progress.WhenOpen = [&] {
            TryToChange(w);
            files.Release();
        };
        Run(w);
        QCOMPARE(Kinds(w), kinds);  // the confirmation before the work
        QCOMPARE(w.Dialogs.Messages(), QStringList{Done});
        QCOMPARE(w.Dialogs.Log[kinds.indexOf("progress")].Title,
                 QString::fromUtf16(quarnix::ApplicationTitle));
        QCOMPARE(w.Dialogs.Progress.Texts.value(0), phase);
        QVERIFY(!w.Dialogs.Progress.Open);
        VerifyUnchanged(w);
        QCOMPARE(w.Focus(), decrypt ? QStringLiteral("CmdDecrypt") : QStringLiteral("CmdEncrypt"));
        const QByteArray transformed = Read(folder.filePath(result));
        QCOMPARE(transformed.size(), 30000);
        QVERIFY(transformed != Sample(30000));
        if (backup) {
            QCOMPARE(Read(path + QStringLiteral(".备份")), Sample(30000));
        }
    }

    void cancelLeavesTheFileAsItWas_data() {
        QTest::addColumn<bool>("topSecret");
        QTest::addColumn<bool>("backup");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("holdAt");
        QTest::addColumn<QString>("phase");
        QTest::addColumn<int>("percent");
        QTest::newRow("backup copy") << false << true << 30000 << 2 << "正在备份…" << 0;
        // Held at the second of three chunks (after the reads of the look at the
        // content: the file, the result, and what a decryption would make of
        // it): one third is done.
        QTest::newRow("TopSecret rewrite")
            << true << false << 12 * 1024 * 1024 << 5 << "正在加密…" << 33;
    }
    void cancelLeavesTheFileAsItWas() {
        QFETCH(bool, topSecret);
        QFETCH(bool, backup);
        QFETCH(int, size);
        QFETCH(int, holdAt);
        QFETCH(QString, phase);
        QFETCH(int, percent);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("plan.doc"));
        QVERIFY(Write(path, Sample(size)));
        HeldFileOps files;
        files.HoldAt = holdAt;
        Driver w(&files);
        Prepare(w, path, false, topSecret, backup);
        int percentShown = -1;
        w.Dialogs.Progress.WhenOpen = [&] {
            percentShown = w.Dialogs.Progress.Percent;
            TryToChange(w);
            w.Dialogs.Progress.Cancel();
            files.Release();
        };
        Run(w);
        QCOMPARE(Kinds(w), (QStringList{"progress", "message"}));
        QCOMPARE(w.Dialogs.Messages(), QStringList{CancelledMessage(path)});
        QCOMPARE(w.Dialogs.Progress.Texts, (QStringList{phase, "正在取消…"}));
        QCOMPARE(percentShown, percent);
        QVERIFY(w.Dialogs.Progress.CancelDisabled);
        VerifyUnchanged(w);
        QVERIFY(Read(path) == Sample(size));
        QCOMPARE(FilesIn(folder), QStringList{"plan.doc"});  // no backup, no temporary file
    }

    // A close while the work can still be dropped asks whether to stop it,
    // from wherever it comes while the progress dialog shows: Yes stops the
    // work and closes the window after the outcome, No lets it end.
    void closeWhileWorking_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<bool>("stop");
        QTest::newRow("the window's close box, stop") << "window" << true;
        QTest::newRow("the window's close box, go on") << "window" << false;
        QTest::newRow("the dialog's close box, stop") << "dialog" << true;
        QTest::newRow("the dialog's close box, go on") << "dialog" << false;
        QTest::newRow("the program's own close, stop") << "program" << true;
    }
    void closeWhileWorking() {
        QFETCH(QString, from);
        QFETCH(bool, stop);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("plan.doc"));
        QVERIFY(Write(path, Sample(30000)));
        HeldFileOps files;
        files.HoldAt = 2;  // in the backup copy
        Driver w(&files);
        Prepare(w, path, false, true, true);
        w.Dialogs.YesNo = {stop};
        w.Dialogs.Progress.Shown = true;
        bool closedAtOnce = true;
        w.Dialogs.Progress.WhenOpen = [&] {
            QVERIFY(w.Dialogs.Progress.ShownDialog->isVisible());
            if (from == u"window") {
                Driver::WindowManagerClose(w.Window.get());
            } else if (from == u"dialog") {
                Driver::WindowManagerClose(w.Dialogs.Progress.ShownDialog);
            } else {
                closedAtOnce = w.Window->close();
            }
            QVERIFY(w.Window->isVisible());
            files.Release();
        };
        Run(w);
        QVERIFY(!closedAtOnce || from != u"program");
        QCOMPARE(Kinds(w), (QStringList{"progress", "caution", "message"}));
        QCOMPARE(w.Dialogs.Log[1].Text,
                 QStringLiteral(u"文件正在处理中。要停止处理并退出吗？停止后文件保持原样。"));
        QCOMPARE(w.Dialogs.Log[1].Title, QStringLiteral(u"友情提示"));
        if (stop) {
            QCOMPARE(w.Dialogs.Messages(), QStringList{CancelledMessage(path)});
            QVERIFY(!w.Window->isVisible());
            QVERIFY(Read(path) == Sample(30000));
            QCOMPARE(FilesIn(folder), QStringList{"plan.doc"});
        } else {
            QCOMPARE(w.Dialogs.Messages(), QStringList{Done});
            QVERIFY(w.Window->isVisible());
            QCOMPARE(FilesIn(folder), (QStringList{"plan(绝密).doc", "plan.doc.备份"}));
        }
    }

    // Once the work can no longer be dropped, "取消" is disabled and the
    // dialog says the work is being completed; a close asks nothing and the
    // window closes after the outcome.
    void committedWorkIsCompleted() {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("plan.doc"));
        QVERIFY(Write(path, Sample(30000)));
        HeldFileOps files;
        files.HoldAt = 0;
        files.HoldAtWrite = 3;  // Secret without a backup: the record's body, its head, the file
        Driver w(&files);
        Prepare(w, path, false, false, false);
        bool disabledAtOpen = false;
        w.Dialogs.Progress.Shown = true;
        w.Dialogs.Progress.WhenOpen = [&] {
            disabledAtOpen = w.Dialogs.Progress.CancelDisabled;
            w.Dialogs.Progress.Cancel();  // a late click all the same
            Driver::WindowManagerClose(w.Window.get());
            QVERIFY(w.Window->isVisible());
            files.Release();
        };
        Run(w);
        QVERIFY(disabledAtOpen);
        QCOMPARE(w.Dialogs.Progress.Texts.value(0), QStringLiteral(u"正在完成，已不能取消…"));
        QVERIFY(!w.Dialogs.Progress.Texts.contains(QStringLiteral(u"正在取消…")));
        QCOMPARE(Kinds(w), (QStringList{"progress", "message"}));
        QCOMPARE(w.Dialogs.Messages(), QStringList{Done});
        QVERIFY(!w.Window->isVisible());
        QCOMPARE(FilesIn(folder), QStringList{"plan(秘密).doc"});
        QVERIFY(Read(folder.filePath(QStringLiteral("plan(秘密).doc"))) != Sample(30000));
    }

    // The program's own dialog: its button and Esc ask to cancel, its close
    // box to close the window; it stays open until the window drops it, and
    // blocks nothing, so the window still hears the window manager.
    void qtProgressDialog() {
        QWidget owner;
        owner.show();
        quarnix::QtModalDialogs dialogs(&owner);
        int cancels = 0;
        int closes = 0;
        auto display = dialogs.OpenProgress(
            QString::fromUtf16(quarnix::ApplicationTitle), [&] { ++cancels; }, [&] { ++closes; });
        auto* dialog = owner.findChild<QDialog*>();
        QVERIFY(dialog != nullptr && dialog->isVisible());
        QCOMPARE(dialog->windowModality(), Qt::NonModal);
        QCOMPARE(dialog->windowTitle(), QString::fromUtf16(quarnix::ApplicationTitle));
        display->Update(QStringLiteral("正在备份…"), 42);
        QCOMPARE(dialog->findChild<QLabel*>()->text(), QStringLiteral("正在备份…"));
        QCOMPARE(dialog->findChild<QProgressBar*>()->value(), 42);
        auto* cancel = dialog->findChild<QPushButton*>();
        QCOMPARE(cancel->text(), QStringLiteral("取消"));
        QTest::mouseClick(cancel, Qt::LeftButton);
        QTest::keyClick(dialog, Qt::Key_Escape);
        Driver::WindowManagerClose(dialog);
        QCOMPARE(cancels, 2);
        QCOMPARE(closes, 1);
        QVERIFY(dialog->isVisible());
        display->DisableCancel();
        QVERIFY(!cancel->isEnabled());
        display.reset();
        QVERIFY(owner.findChild<QDialog*>() == nullptr);
    }
};

QTEST_MAIN(MainWindowProgressTest)
#include "main_window_progress_test.moc"
