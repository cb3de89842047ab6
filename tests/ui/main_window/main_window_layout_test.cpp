// FrmMain as it opens: the window, every control at its place with its
// caption and state, the password boxes, the keyboard, the picture and the
// pictures drawn for the program.

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include "assets/quarnix_assets.h"
#include "ui/about_window/about_window_keeper.h"
#include "ui/about_window/frm_about.h"
#include "window_fixture.h"

using quarnix::testing::ShownDialog;
using quarnix::testing::ShownWindow;

namespace {

QString CaptionOf(const QWidget* control) {
    if (const auto* label = qobject_cast<const QLabel*>(control)) {
        return label->text();
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(control)) {
        return button->text();
    }
    if (const auto* frame = qobject_cast<const QGroupBox*>(control)) {
        return frame->title();
    }
    return qobject_cast<const QLineEdit*>(control)->text();
}

}  // namespace

class MainWindowLayoutTest : public QObject {
    Q_OBJECT
  private slots:
    void theWindow() {
        ShownWindow w;
        QCOMPARE(w.Window->windowTitle(), QStringLiteral("Quarnix 3.3"));
        QCOMPARE(w.Window->size(), QSize(363, 357));
        QCOMPARE(w.Window->minimumSize(), w.Window->maximumSize());
        const Qt::WindowFlags flags = w.Window->windowFlags();
        QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
        const QList<QSize> iconSizes = w.Window->windowIcon().availableSizes();
        QVERIFY(iconSizes.contains(QSize(32, 32)));
        QVERIFY(iconSizes.contains(QSize(16, 16)));
        const QPoint centre = w.Window->screen()->availableGeometry().center();
        // Centred as laid out; the platform's frame may add a few pixels.
        const QPoint offset = w.Window->geometry().center() - centre;
        QVERIFY2(qAbs(offset.x()) <= 4 && qAbs(offset.y()) <= 4, "not centred");
    }

    void controlsAtTheirPlaces_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QRect>("place");  // labels: only the top left corner counts
        QTest::addColumn<bool>("shown");
        const auto row = [](const char* name, const char16_t* caption, QRect place, bool shown) {
            QTest::newRow(name) << QString::fromUtf16(caption) << place << shown;
        };
        row("Frame1", u"选择任务", QRect(8, 8, 270, 39), true);
        row("OptEncryptTask", u"加密", QRect(59, 17, 65, 12), true);
        row("OptDecryptTask", u"解密", QRect(161, 15, 57, 17), true);
        row("LblFileName", u"要加密的文件", QRect(10, 54, 0, 0), true);
        row("TxtFileName", u"", QRect(9, 70, 267, 20), true);
        row("cmdOpenFile", u"浏览(&B)...", QRect(280, 70, 73, 20), true);
        row("LblLevel", u"加密等级", QRect(14, 105, 0, 0), true);
        row("OptSecret", u"秘密(低)", QRect(87, 107, 77, 14), true);
        row("OptSecretter", u"机密(中)", QRect(171, 105, 77, 18), true);
        row("OptTopSecret", u"绝密(高)", QRect(257, 106, 80, 16), true);
        row("Label11", u"密码", QRect(38, 137, 0, 0), true);
        row("TxtPass1", u"", QRect(72, 134, 238, 20), true);
        row("Label12", u"密码确认", QRect(14, 162, 0, 0), true);
        row("TxtPass2", u"", QRect(72, 159, 238, 20), true);
        row("LblPass3", u"密码2", QRect(32, 192, 0, 0), false);
        row("TxtPass3", u"", QRect(72, 189, 238, 20), false);
        row("LblPass4", u"密码2确认", QRect(8, 215, 0, 0), false);
        row("TxtPass4", u"", QRect(72, 215, 238, 20), false);
        row("Frame2", u"选项", QRect(9, 248, 344, 69), true);
        row("ChkBak", u"先备份再加密(.备份)", QRect(13, 23, 149, 17), true);
        row("ChkMarkFile", u"文件名中标注加密等级", QRect(13, 46, 151, 15), true);
        row("CmdEncrypt", u"加密", QRect(100, 326, 65, 25), true);
        row("CmdQuit", u"退出", QRect(211, 326, 65, 25), true);
        row("CmdDecrypt", u"解密", QRect(100, 326, 65, 25), false);
    }
    void controlsAtTheirPlaces() {
        QFETCH(QString, caption);
        QFETCH(QRect, place);
        QFETCH(bool, shown);
        ShownWindow w;
        const QWidget* control = w.Find<QWidget>(QTest::currentDataTag());
        QCOMPARE(CaptionOf(control), caption);
        QCOMPARE(control->isVisible(), shown);
        if (const auto* label = qobject_cast<const QLabel*>(control)) {
            QCOMPARE(label->pos(), place.topLeft());
            QCOMPARE(label->size(), label->sizeHint());  // sized to its caption
        } else {
            QCOMPARE(control->geometry(), place);
        }
    }

    void stateAtStart() {
        ShownWindow w;
        QVERIFY(w.Find<QRadioButton>("OptEncryptTask")->isChecked());
        QVERIFY(!w.Find<QRadioButton>("OptDecryptTask")->isChecked());
        QVERIFY(w.Find<QRadioButton>("OptSecret")->isChecked());
        QVERIFY(!w.Find<QRadioButton>("OptSecretter")->isChecked());
        QVERIFY(!w.Find<QRadioButton>("OptTopSecret")->isChecked());
        QVERIFY(w.Find<QCheckBox>("ChkBak")->isChecked());
        QVERIFY(w.Find<QCheckBox>("ChkMarkFile")->isChecked());
        QVERIFY(w.Window->ChosenPath().isEmpty());
        QCOMPARE(w.FocusName(), QStringLiteral("OptEncryptTask"));
        QVERIFY(w.Dialogs.Shown().isEmpty());
    }

    void passwordBoxes() {
        ShownWindow w;
        for (const char* name : {"TxtPass1", "TxtPass2", "TxtPass3", "TxtPass4"}) {
            const QLineEdit* box = w.Box(name);
            QCOMPARE(box->echoMode(), QLineEdit::Password);
            QVERIFY(!box->testAttribute(Qt::WA_InputMethodEnabled));
        }
        QVERIFY(w.Box("TxtFileName")->testAttribute(Qt::WA_InputMethodEnabled));
        w.Type("TxtPass1", QStringLiteral("ab c"));
        QCOMPARE(w.Box("TxtPass1")->text(), QStringLiteral("ab c"));
        QCOMPARE(w.Box("TxtPass1")->displayText(), QStringLiteral("****"));

        const QColor darkRed(192, 0, 0);
        QCOMPARE(w.Box("TxtPass3")->palette().color(QPalette::Text), darkRed);
        QCOMPARE(w.Box("TxtPass4")->palette().color(QPalette::Text), darkRed);
        QCOMPARE(w.Find<QLabel>("LblPass3")->palette().color(QPalette::WindowText), darkRed);
        QCOMPARE(w.Find<QLabel>("LblPass4")->palette().color(QPalette::WindowText), darkRed);
        QVERIFY(w.Box("TxtPass1")->palette().color(QPalette::Text) != darkRed);
        QVERIFY(w.Find<QLabel>("Label11")->palette().color(QPalette::WindowText) != darkRed);
    }

    // Enter and Esc press nothing; Alt+B presses cmdOpenFile.
    void keyboard() {
        ShownWindow w;
        for (QPushButton* button : w.Window->findChildren<QPushButton*>()) {
            QVERIFY(!button->isDefault());
            QVERIFY(!button->autoDefault());
        }
        w.Type("TxtPass1", QStringLiteral("secret1"));
        w.Key(Qt::Key_Return);
        w.Key(Qt::Key_Enter);
        w.Key(Qt::Key_Escape);
        QVERIFY(w.Window->isVisible());
        QVERIFY(w.Dialogs.Shown().isEmpty());

        // The accelerator presses the button at once and clicks it when the
        // button comes up again, from the event loop.
        auto* browse = w.Find<QPushButton>("cmdOpenFile");
        QSignalSpy clicked(browse, &QPushButton::clicked);
        w.Dialogs.AnswerOpenFile(QStringLiteral("/tmp/some file.doc"));
        w.Key(Qt::Key_B, Qt::AltModifier);
        QVERIFY(browse->isDown());
        QVERIFY(clicked.wait());
        QCOMPARE(w.Dialogs.Shown().size(), 1);
        QCOMPARE(w.Dialogs.Shown()[0].What, ShownDialog::Kind::OpenFile);
    }

    // Hidden controls are skipped and an option group is one stop, at its
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
        ShownWindow w;
        if (decryptAtTopSecret) {
            w.Click("OptTopSecret");
            w.Click("OptDecryptTask");
        }
        QCOMPARE(w.FocusName(), stops.first());
        for (qsizetype i = 1; i <= stops.size(); ++i) {
            w.Key(Qt::Key_Tab);
            QCOMPARE(w.FocusName(), stops[i % stops.size()]);
        }
        for (qsizetype i = stops.size() - 1; i >= 0; --i) {
            w.Key(Qt::Key_Backtab, Qt::ShiftModifier);
            QCOMPARE(w.FocusName(), stops[i]);
        }
    }

    // The arrow keys move within a group and select as they go.
    void arrowKeysInAGroup() {
        ShownWindow w;
        w.Click("OptSecret");
        w.Key(Qt::Key_Right);
        QCOMPARE(w.FocusName(), QStringLiteral("OptSecretter"));
        QVERIFY(w.Find<QRadioButton>("OptSecretter")->isChecked());
        w.Key(Qt::Key_Right);
        QVERIFY(w.Find<QRadioButton>("OptTopSecret")->isChecked());
        QVERIFY(w.Box("TxtPass3")->isVisible());
        QVERIFY(w.Find<QRadioButton>("OptEncryptTask")->isChecked());
    }

    void informationPicture() {
        ShownWindow w;
        const auto* picture = w.Find<QLabel>("PicInfor");
        QCOMPARE(picture->geometry(), QRect(336, 329, 14, 14));
        QCOMPARE(picture->pixmap().size(), QSize(14, 14));
        QCOMPARE(picture->frameShape(), QFrame::NoFrame);
        QCOMPARE(picture->cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(picture->cursor().hotSpot(), QPoint(6, 0));
        // A click opens the one About window; it asks nothing of the main window.
        w.Click("PicInfor");
        w.Click("PicInfor");
        QVERIFY(w.Dialogs.Shown().isEmpty());
        QWidget* about = quarnix::AboutWindowKeeper::ForProgram().OpenWindow();
        QVERIFY(about != nullptr && about->isVisible());
        qsizetype aboutWindows = 0;
        for (const QWidget* window : QApplication::topLevelWidgets()) {
            aboutWindows += window->objectName() == u"frmAbout" && window->isVisible() ? 1 : 0;
        }
        QCOMPARE(aboutWindows, 1);
        about->close();
    }

    void picturesDrawnForTheProgram() {
        const QImage info = quarnix::assets::InformationPicture().toImage();
        QCOMPARE(info.size(), QSize(14, 14));
        QCOMPARE(info.pixelColor(6, 7), QColor(Qt::white));  // the stem of the i
        const QColor disc = info.pixelColor(3, 7);
        QVERIFY(disc.blue() > 150 && disc.red() < 100);
        QCOMPARE(info.pixelColor(0, 0).alpha(), 0);  // outside the disc

        const QImage hand = quarnix::assets::HandCursor().pixmap().toImage();
        QCOMPARE(hand.size(), QSize(32, 32));
        QCOMPARE(hand.pixelColor(6, 0), QColor(Qt::black));  // the fingertip is the hot spot
        QCOMPARE(hand.pixelColor(0, 0).alpha(), 0);

        const QIcon icon = quarnix::assets::WindowIcon();
        QCOMPARE(icon.pixmap(QSize(32, 32)).size(), QSize(32, 32));
        QCOMPARE(icon.pixmap(QSize(16, 16)).size(), QSize(16, 16));
    }
};

QTEST_MAIN(MainWindowLayoutTest)
#include "main_window_layout_test.moc"
