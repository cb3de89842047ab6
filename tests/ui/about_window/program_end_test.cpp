// SPDX-License-Identifier: GPL-3.0-or-later
// The program ends when its last window closes, whether that is the main window or
// the About window. The About window is a Qt::Tool window (no taskbar button), which
// Qt leaves out of that count unless it says otherwise; these tests run the real
// event loop, as the program does, with the real main window, and watch
// QGuiApplication::lastWindowClosed.

#include <QApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "recording_url_opener.h"
#include "ui/about_window/about_window_keeper.h"
#include "ui/about_window/frm_about.h"
#include "ui/main_window/frm_main.h"

namespace quarnix {
namespace {

// What happened while the event loop ran.
struct Run {
    bool aboutOpenAfterMainClosed = false;
    qsizetype endsAfterFirstClose = -1;
    qsizetype endsAfterSecondClose = -1;
    int exitCode = -1;
};

enum class CloseFirst { MainWindow, AboutWindow };

// Opens the About window with a click on the main window's information picture,
// closes the two windows with their own buttons in the given order inside
// QApplication::exec() and records when the program was told to end.
Run CloseBothWindows(CloseFirst order) {
    FrmMain main;
    auto* picInfor = main.findChild<QWidget*>(QStringLiteral("PicInfor"));
    auto* cmdQuit = main.findChild<QPushButton*>(QStringLiteral("CmdQuit"));
    QSignalSpy ends(qApp, &QGuiApplication::lastWindowClosed);
    Run run;
    QTimer::singleShot(0, qApp, [&] {
        main.show();
        QTest::mouseClick(picInfor, Qt::LeftButton);
        frmAbout* about = AboutWindowKeeper::ForProgram().OpenWindow();
        if (about == nullptr) {
            QCoreApplication::exit(2);
            return;
        }
        QPushButton* first = order == CloseFirst::MainWindow ? cmdQuit : about->cmdOK;
        QPushButton* second = order == CloseFirst::MainWindow ? about->cmdOK : cmdQuit;
        QTest::mouseClick(first, Qt::LeftButton);
        run.aboutOpenAfterMainClosed = AboutWindowKeeper::ForProgram().OpenWindow() != nullptr;
        run.endsAfterFirstClose = ends.count();
        QTest::mouseClick(second, Qt::LeftButton);
        run.endsAfterSecondClose = ends.count();
        if (ends.count() != 1) {
            QCoreApplication::exit(3);  // the program would not have ended by itself
        }
    });
    run.exitCode = QApplication::exec();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return run;
}

}  // namespace

class ProgramEndTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QVERIFY(QGuiApplication::quitOnLastWindowClosed()); }

    void aboutWindowCountsAsAWindowOfTheProgram() {
        RecordingUrlOpener opener;
        AboutWindowKeeper keeper(opener);
        frmAbout* about = keeper.Open();
        QVERIFY(about->testAttribute(Qt::WA_QuitOnClose));
        about->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void closingTheMainWindowLeavesTheAboutWindowOpen() {
        const Run run = CloseBothWindows(CloseFirst::MainWindow);
        QVERIFY(run.aboutOpenAfterMainClosed);
        QCOMPARE(run.endsAfterFirstClose, 0);
        QCOMPARE(run.endsAfterSecondClose, 1);
        QCOMPARE(run.exitCode, 0);
    }

    void closingTheAboutWindowFirstEndsTheProgramWithTheMainWindow() {
        const Run run = CloseBothWindows(CloseFirst::AboutWindow);
        QCOMPARE(run.endsAfterFirstClose, 0);
        QCOMPARE(run.endsAfterSecondClose, 1);
        QCOMPARE(run.exitCode, 0);
    }
};

}  // namespace quarnix

QTEST_MAIN(quarnix::ProgramEndTest)
#include "program_end_test.moc"
