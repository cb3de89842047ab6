// SPDX-License-Identifier: GPL-3.0-or-later
// Not a test: times a TopSecret encrypt of one file through the real main
// window (its real progress dialog, its worker thread) against quarnix-cli on
// the same file, the two taking turns, and prints each run and the medians.
//
//   main_window_timing FILE QUARNIX_CLI [RUNS]
//
// Each run encrypts FILE again in place, without backup or marker; the
// passwords are "abc" and "hello". The outcome message is recorded, not shown.

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "frm_main.h"
#include "qt_modal_dialogs.h"
#include "qt_progress_dialog.h"

namespace {

// The program's own dialogs, except that the file chooser answers FILE and
// the outcome message is kept instead of shown.
class TimingDialogs : public quarnix::QtModalDialogs {
  public:
    explicit TimingDialogs(QString file) : QtModalDialogs(nullptr), file_(std::move(file)) {}
    QString LastMessage;
    QWidget* Owner = nullptr;  // the main window, once made
    int ProgressShown = 0;

    void ShowMessage(const QString& text, const QString&, quarnix::MessageIcon) override {
        LastMessage = text;
    }
    QString GetOpenFileName(const QString&, const QString&, const QString&) override {
        return file_;
    }
    std::unique_ptr<quarnix::ProgressDisplay> OpenProgress(const QString& title,
                                                           std::function<void()> cancel,
                                                           std::function<void()> close) override {
        ++ProgressShown;
        return std::make_unique<quarnix::QtProgressDialog>(Owner, title, std::move(cancel),
                                                           std::move(close));
    }

  private:
    QString file_;
};

// "median (fastest)" of the runs.
QByteArray Figures(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return QByteArray::number(values[values.size() / 2], 'f', 3) + " s (fastest " +
           QByteArray::number(values.front(), 'f', 3) + " s)";
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s FILE QUARNIX_CLI [RUNS]\n", argv[0]);
        return 2;
    }
    const QString file = QString::fromLocal8Bit(argv[1]);
    const QString cli = QString::fromLocal8Bit(argv[2]);
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;

    TimingDialogs dialogs(file);
    quarnix::FrmMain window(&dialogs);
    dialogs.Owner = &window;
    window.show();
    const auto find = [&window](const char* name) {
        return window.findChild<QWidget*>(QString::fromLatin1(name));
    };
    static_cast<QPushButton*>(find("cmdOpenFile"))->click();
    static_cast<QRadioButton*>(find("OptTopSecret"))->setChecked(true);
    static_cast<QCheckBox*>(find("ChkBak"))->setChecked(false);
    static_cast<QCheckBox*>(find("ChkMarkFile"))->setChecked(false);
    const char* texts[][2] = {
        {"TxtPass1", "abc"}, {"TxtPass2", "abc"}, {"TxtPass3", "hello"}, {"TxtPass4", "hello"}};
    for (const auto& [name, text] : texts) {
        static_cast<QLineEdit*>(find(name))->setText(QString::fromLatin1(text));
    }
    auto* encrypt = static_cast<QPushButton*>(find("CmdEncrypt"));

    const auto timeWindow = [&] {
        QElapsedTimer clock;
        clock.start();
        encrypt->click();  // returns once the outcome is shown
        const double seconds = clock.nsecsElapsed() / 1e9;
        if (dialogs.LastMessage != QStringLiteral("操作成功！")) {
            qFatal("window: %s", qPrintable(dialogs.LastMessage));
        }
        return seconds;
    };
    const auto timeCli = [&] {
        QProcess process;
        QElapsedTimer clock;
        clock.start();
        process.start(cli, {"encrypt", "--password-stdin", "--no-mark", "--no-backup", "--level",
                            "topsecret", file});
        process.write("abc\nhello\n");
        process.closeWriteChannel();
        process.waitForFinished(-1);
        const double seconds = clock.nsecsElapsed() / 1e9;
        if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
            qFatal("quarnix-cli: %s", process.readAllStandardError().constData());
        }
        return seconds;
    };

    std::vector<double> windowTimes;
    std::vector<double> cliTimes;
    for (int run = 0; run < runs; ++run) {
        // Taking turns in both orders, so that one's after-effects hit both alike.
        if (run % 2 == 0) {
            windowTimes.push_back(timeWindow());
            cliTimes.push_back(timeCli());
        } else {
            cliTimes.push_back(timeCli());
            windowTimes.push_back(timeWindow());
        }
        std::printf("run %d: window %.3f s, quarnix-cli %.3f s\n", run + 1, windowTimes.back(),
                    cliTimes.back());
        std::fflush(stdout);
    }
    std::printf("median of %d runs: window %s, quarnix-cli %s; progress dialog shown %d times\n",
                runs, Figures(windowTimes).constData(), Figures(cliTimes).constData(),
                dialogs.ProgressShown);
    return 0;
}
