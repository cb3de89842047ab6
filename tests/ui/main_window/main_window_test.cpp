// SPDX-License-Identifier: GPL-3.0-or-later
// FrmMain as it opens and as the user switches task and level: the window,
// every control at its place, the password boxes, the keyboard, the pictures.

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QWindow>

#include "engine/product.h"
#include "ui/about_window/about_window_keeper.h"
#include "ui/about_window/frm_about.h"
#include "ui/application/fixed_size_windows.h"
#include "window_driver.h"

using quarnix::testing::Driver;

namespace {

QString Caption(const QWidget* control) {
    if (const auto* frame = qobject_cast<const QGroupBox*>(control)) {
        return frame->title();
    }
    const QVariant text = control->property("text");  // labels, buttons, text boxes
    return text.toString();
}

// The captions that follow the task, the options selected, and what the user
// entered: a mode switch changes only the first.
QStringList TaskCaptions(const Driver& w) {
    return {Caption(w.Find("LblFileName")), Caption(w.Find("LblLevel")), Caption(w.Find("ChkBak")),
            Caption(w.Find("ChkMarkFile"))};
}
QStringList Entries(const Driver& w) {
    QStringList entries{w.Window->ChosenPath()};
    for (const char* name : {"TxtFileName", "TxtPass1", "TxtPass2", "TxtPass3", "TxtPass4"}) {
        entries.append(w.Box(name)->text());
    }
    for (const auto* tick : w.Window->findChildren<QAbstractButton*>()) {
        if (tick->isChecked()) {
            entries.append(tick->objectName());
        }
    }
    return entries;
}
QStringList Selected(const Driver& w) {
    QStringList selected;
    for (const auto* option : w.Window->findChildren<QRadioButton*>()) {
        if (option->isChecked()) {
            selected.append(option->objectName());
        }
    }
    return selected;
}
bool SecondPairShown(const Driver& w) {
    int shown = 0;
    for (const char* name : {"TxtPass3", "TxtPass4", "LblPass3", "LblPass4"}) {
        shown += w.Find(name)->isVisible() ? 1 : 0;
    }
    if (shown != 0 && shown != 4) {
        qFatal("half of the second pair shown");
    }
    return shown == 4;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
  private slots:
    // As a Wayland client (where the guard is installed) the window system
    // may give the window any size, the maximised one included, while the
    // window keeps its own.
    void fixedSizeOnWayland() {
        quarnix::FixedSizeWindows guard;
        qApp->installEventFilter(&guard);
        Driver w;
        QCoreApplication::processEvents();
        qApp->removeEventFilter(&guard);
        QCOMPARE(w.Window->windowHandle()->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
        QCOMPARE(w.Window->windowHandle()->minimumSize(), QSize(363, 357));
        QCOMPARE(w.Window->maximumSize(), QSize(363, 357));
    }

    void theWindow() {
        Driver w;
        QCOMPARE(w.Window->windowTitle(), QString::fromUtf16(quarnix::ApplicationTitle));
        QCOMPARE(w.Window->size(), QSize(363, 357));
        QCOMPARE(w.Window->minimumSize(), w.Window->maximumSize());
        const Qt::WindowFlags flags = w.Window->windowFlags();
        QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        // Every size of the desktop's icon theme, so that no panel scales one.
        const QList<QSize> iconSizes = w.Window->windowIcon().availableSizes();
        const QStringList themeSizes = QDir(QStringLiteral(QUARNIX_ICON_THEME_DIR))
                                           .entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QVERIFY(themeSizes.contains(QStringLiteral("256x256")));
        for (const QString& size : themeSizes) {
            const int side = size.section(u'x', 0, 0).toInt();
            QVERIFY2(iconSizes.contains(QSize(side, side)), qPrintable(size));
        }
        // Centred as laid out; the platform's frame may add a few pixels.
        const QPoint off =
            w.Window->geometry().center() - w.Window->screen()->availableGeometry().center();
        QVERIFY(qAbs(off.x()) <= 4 && qAbs(off.y()) <= 4);
        QVERIFY(w.Dialogs.Log.isEmpty());
    }

    void controlsAtStart_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QRect>("place");  // a label: its top left corner; it sizes itself
        QTest::addColumn<bool>("shown");
        const auto row = [](const char* name, const char16_t* caption, QRect place, bool shown) {
            QTest::newRow(name) << QString::fromUtf16(caption) << place << shown;
        };
        row("Frame1", u"选择任务", {8, 8, 270, 39}, true);
        row("OptEncryptTask", u"加密", {59, 17, 65, 12}, true);
        row("OptDecryptTask", u"解密", {161, 15, 57, 17}, true);
        row("LblFileName", u"要加密的文件", {10, 54, 0, 0}, true);
        row("TxtFileName", u"", {9, 70, 267, 20}, true);
        row("cmdOpenFile", u"浏览(&B)...", {280, 70, 73, 20}, true);
        row("LblLevel", u"加密等级", {14, 105, 0, 0}, true);
        row("OptSecret", u"秘密(低)", {87, 107, 77, 14}, true);
        row("OptSecretter", u"机密(中)", {171, 105, 77, 18}, true);
        row("OptTopSecret", u"绝密(高)", {257, 106, 80, 16}, true);
        row("Label11", u"密码", {38, 137, 0, 0}, true);
        row("TxtPass1", u"", {72, 134, 238, 20}, true);
        row("Label12", u"密码确认", {14, 162, 0, 0}, true);
        row("TxtPass2", u"", {72, 159, 238, 20}, true);
        row("LblPass3", u"密码2", {32, 192, 0, 0}, false);
        row("TxtPass3", u"", {72, 189, 238, 20}, false);
        row("LblPass4", u"密码2确认", {8, 215, 0, 0}, false);
        row("TxtPass4", u"", {72, 215, 238, 20}, false);
        row("Frame2", u"选项", {9, 248, 344, 69}, true);
        row("ChkBak", u"先备份再加密(.备份)", {13, 23, 149, 17}, true);
        row("ChkMarkFile", u"文件名中标注加密等级", {13, 46, 151, 15}, true);
        row("CmdEncrypt", u"加密", {100, 326, 65, 25}, true);
        row("CmdQuit", u"退出", {211, 326, 65, 25}, true);
        row("CmdDecrypt", u"解密", {100, 326, 65, 25}, false);
        row("PicInfor", u"", {336, 329, 14, 14}, true);
    }
    void controlsAtStart() {
        QFETCH(QString, caption);
        QFETCH(QRect, place);
        QFETCH(bool, shown);
        Driver w;
        const QWidget* control = w.Find(QTest::currentDataTag());
        QCOMPARE(Caption(control), caption);
        QCOMPARE(control->isVisible(), shown);
        QCOMPARE(control->geometry(),
                 place.isEmpty() ? QRect(place.topLeft(), control->sizeHint()) : place);
    }

    void stateAtStart() {
        Driver w;
        QCOMPARE(Entries(w), (QStringList{"", "", "", "", "", "", "OptEncryptTask", "OptSecret",
                                          "ChkBak", "ChkMarkFile"}));
        QCOMPARE(w.Focus(), QStringLiteral("OptEncryptTask"));
        const auto* picture = w.Find<QLabel>("PicInfor");
        QCOMPARE(picture->pixmap().size(), QSize(14, 14));
        QCOMPARE(picture->cursor().hotSpot(), QPoint(6, 0));
        const QImage hand = picture->cursor().pixmap().toImage();
        QCOMPARE(hand.size(), QSize(32, 32));
        QCOMPARE(hand.pixelColor(6, 0), QColor(Qt::black));  // the fingertip is the hot spot
        const QImage info = picture->pixmap().toImage();
        QCOMPARE(info.pixelColor(6, 7), QColor(Qt::white));  // the stem of the i on ...
        QVERIFY(info.pixelColor(3, 7).blue() > 150 && info.pixelColor(3, 7).red() < 100);  // blue
    }

    void passwordBoxes() {
        Driver w;
        for (const char* name : {"TxtPass1", "TxtPass2", "TxtPass3", "TxtPass4"}) {
            QCOMPARE(w.Box(name)->echoMode(), QLineEdit::Password);
            QVERIFY(!w.Box(name)->testAttribute(Qt::WA_InputMethodEnabled));
        }
        QVERIFY(w.Box("TxtFileName")->isReadOnly());  // shows the chosen file only
        w.Type("TxtPass1", QStringLiteral("ab c"));
        QCOMPARE(w.Box("TxtPass1")->text(), QStringLiteral("ab c"));
        QCOMPARE(w.Box("TxtPass1")->displayText(), QStringLiteral("****"));
        const QColor darkRed(192, 0, 0);
        for (const char* name : {"TxtPass3", "TxtPass4", "LblPass3", "LblPass4", "TxtPass1"}) {
            const QWidget* control = w.Find(name);
            const QColor colour = control->palette().color(control->foregroundRole());
            QCOMPARE(colour == darkRed, name != QLatin1String("TxtPass1"));
        }
    }

    // Enter and Esc press nothing; Alt+B presses cmdOpenFile, which clicks
    // when it comes up again, from the event loop.
    void keyboard() {
        Driver w;
        w.Type("TxtPass1", QStringLiteral("secret1"));
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            w.Key(key);
        }
        QVERIFY(w.Window->isVisible() && w.Dialogs.Log.isEmpty());
        auto* browse = w.Find<QPushButton>("cmdOpenFile");
        QSignalSpy clicked(browse, &QPushButton::clicked);
        w.Dialogs.Files = {QStringLiteral("/data/plan.doc")};
        w.Key(Qt::Key_B, Qt::AltModifier);
        QVERIFY(browse->isDown());
        QVERIFY(clicked.wait());
        QCOMPARE(w.Dialogs.Log.size(), 1);
        QCOMPARE(w.Dialogs.Log[0].Kind, QStringLiteral("open"));
    }

    // Hidden controls are skipped; an option group is one stop, at its
    // selected option; the level group comes last.
    void tabOrder_data() {
        QTest::addColumn<bool>("decryptAtTopSecret");
        QTest::addColumn<QStringList>("stops");
        QTest::newRow("start") << false
                               << QStringList{"OptEncryptTask", "TxtFileName", "cmdOpenFile",
                                              "TxtPass1",       "TxtPass2",    "ChkBak",
                                              "ChkMarkFile",    "CmdEncrypt",  "CmdQuit",
                                              "OptSecret"};
        QTest::newRow("decrypt, TopSecret")
            << true << QStringList{"OptDecryptTask", "TxtFileName", "cmdOpenFile", "TxtPass1",
                                   "TxtPass2",       "TxtPass3",    "TxtPass4",    "ChkBak",
                                   "ChkMarkFile",    "CmdQuit",     "CmdDecrypt",  "OptTopSecret"};
    }
    void tabOrder() {
        QFETCH(bool, decryptAtTopSecret);
        QFETCH(QStringList, stops);
        Driver w;
        if (decryptAtTopSecret) {
            w.Click("OptTopSecret");
            w.Click("OptDecryptTask");
        }
        for (qsizetype i = 1; i <= stops.size(); ++i) {
            w.Key(Qt::Key_Tab);
            QCOMPARE(w.Focus(), stops[i % stops.size()]);
        }
        for (qsizetype i = stops.size() - 1; i >= 0; --i) {
            w.Key(Qt::Key_Backtab, Qt::ShiftModifier);
            QCOMPARE(w.Focus(), stops[i]);
        }
    }

    // A switch changes the four captions and the command button, nothing else.
    void taskModes() {
        Driver w;
        w.ChooseFile(QStringLiteral("/data/plan.doc"));
        w.Type("TxtFileName", QStringLiteral(" typed"));
        w.Type("TxtPass1", QStringLiteral("first1"));
        w.Click("OptTopSecret");
        w.Type("TxtPass4", QStringLiteral("second2"));
        w.Click("ChkBak");
        w.Click("OptSecretter");
        const QStringList entries = Entries(w);
        const QStringList encrypt = TaskCaptions(w);
        w.Key(Qt::Key_Tab);  // from OptSecretter round to the task group
        w.Key(Qt::Key_Right);
        QCOMPARE(TaskCaptions(w), (QStringList{"要解密的文件", "加密时等级", "先备份再解密(.BAK)",
                                               "文件名中去掉加密等级"}));
        QVERIFY(!w.Find("CmdEncrypt")->isVisible() && w.Find("CmdDecrypt")->isVisible());
        QCOMPARE(w.Find("LblLevel")->size(), w.Find("LblLevel")->sizeHint());
        w.Click("OptEncryptTask");
        QCOMPARE(TaskCaptions(w), encrypt);
        QCOMPARE(encrypt, (QStringList{"要加密的文件", "加密等级", "先备份再加密(.备份)",
                                       "文件名中标注加密等级"}));
        QVERIFY(w.Find("CmdEncrypt")->isVisible() && !w.Find("CmdDecrypt")->isVisible());
        QCOMPARE(Entries(w), entries);
    }

    // Only the top level shows the second pair, whose texts survive hiding;
    // one option of each group stays selected.
    void levels() {
        Driver w;
        w.Click("OptTopSecret");
        QVERIFY(SecondPairShown(w));
        w.Type("TxtPass4", QStringLiteral("second2"));
        w.Click("OptSecretter");
        QVERIFY(!SecondPairShown(w));
        QCOMPARE(Selected(w), (QStringList{"OptEncryptTask", "OptSecretter"}));
        w.Click("OptTopSecret");
        w.Click("OptSecret");
        QVERIFY(!SecondPairShown(w));
        QCOMPARE(Selected(w), (QStringList{"OptEncryptTask", "OptSecret"}));
        w.Key(Qt::Key_Right);
        w.Key(Qt::Key_Right);  // the arrow keys select within the group
        QVERIFY(SecondPairShown(w));
        QCOMPARE(Selected(w), (QStringList{"OptEncryptTask", "OptTopSecret"}));
        QCOMPARE(w.Box("TxtPass4")->text(), QStringLiteral("second2"));
    }

    // The picture opens the one About window; quitting asks nothing.
    void pictureAndQuit() {
        Driver w;
        w.Click("PicInfor");
        w.Click("PicInfor");
        QWidget* about = quarnix::AboutWindowKeeper::ForProgram().OpenWindow();
        QVERIFY(about != nullptr && about->isVisible());
        qsizetype aboutWindows = 0;
        for (const QWidget* window : QApplication::topLevelWidgets()) {
            aboutWindows += window->objectName() == u"frmAbout" && window->isVisible();
        }
        QCOMPARE(aboutWindows, 1);
        about->close();
        w.Type("TxtPass1", QStringLiteral("first1"));
        w.Click("CmdQuit");
        QVERIFY(!w.Window->isVisible());
        QVERIFY(w.Dialogs.Log.isEmpty());
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
