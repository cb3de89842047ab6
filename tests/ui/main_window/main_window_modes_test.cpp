// The two task modes, the three levels and quitting.

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "window_fixture.h"

using quarnix::testing::ShownWindow;

namespace {

struct Captions {
    QString LblFileName, LblLevel, ChkBak, ChkMarkFile;
    bool operator==(const Captions&) const = default;
};

Captions CaptionsOf(const ShownWindow& w) {
    return {w.Find<QLabel>("LblFileName")->text(), w.Find<QLabel>("LblLevel")->text(),
            w.Find<QCheckBox>("ChkBak")->text(), w.Find<QCheckBox>("ChkMarkFile")->text()};
}

const Captions EncryptCaptions{"要加密的文件", "加密等级", "先备份再加密(.备份)",
                               "文件名中标注加密等级"};
const Captions DecryptCaptions{"要解密的文件", "加密时等级", "先备份再解密(.BAK)",
                               "文件名中去掉加密等级"};

// Everything a mode switch must leave alone.
struct Entries {
    QStringList Texts;
    QList<bool> Ticks;
    QString Level;
    QString ChosenPath;
    bool operator==(const Entries&) const = default;
};

Entries EntriesOf(const ShownWindow& w) {
    Entries entries;
    for (const char* box : {"TxtFileName", "TxtPass1", "TxtPass2", "TxtPass3", "TxtPass4"}) {
        entries.Texts.append(w.Box(box)->text());
    }
    entries.Ticks = {w.Find<QCheckBox>("ChkBak")->isChecked(),
                     w.Find<QCheckBox>("ChkMarkFile")->isChecked()};
    for (const char* level : {"OptSecret", "OptSecretter", "OptTopSecret"}) {
        if (w.Find<QRadioButton>(level)->isChecked()) {
            entries.Level = QString::fromLatin1(level);
        }
    }
    entries.ChosenPath = w.Window->ChosenPath();
    return entries;
}

// The selected options of both groups, so that one stray selection shows.
QStringList SelectedOptions(const ShownWindow& w) {
    QStringList selected;
    for (const QRadioButton* option : w.Window->findChildren<QRadioButton*>()) {
        if (option->isChecked()) {
            selected.append(option->objectName());
        }
    }
    selected.sort();
    return selected;
}

}  // namespace

class MainWindowModesTest : public QObject {
    Q_OBJECT
  private slots:
    void decryptModeAndBack() {
        ShownWindow w;
        w.ChooseFile(QStringLiteral("/data/plan.doc"));
        w.Type("TxtFileName", QStringLiteral(" typed"));
        w.Type("TxtPass1", QStringLiteral("first1"));
        w.Type("TxtPass2", QStringLiteral("first1"));
        w.Click("OptTopSecret");
        w.Type("TxtPass3", QStringLiteral("second2"));
        w.Type("TxtPass4", QStringLiteral("second2"));
        w.Click("ChkBak");
        w.Click("OptSecretter");
        const Entries before = EntriesOf(w);
        QCOMPARE(before.Ticks, (QList<bool>{false, true}));
        QCOMPARE(before.Level, QStringLiteral("OptSecretter"));

        w.Click("OptDecryptTask");
        QCOMPARE(CaptionsOf(w), DecryptCaptions);
        QVERIFY(!w.Find<QPushButton>("CmdEncrypt")->isVisible());
        QVERIFY(w.Find<QPushButton>("CmdDecrypt")->isVisible());
        QCOMPARE(EntriesOf(w), before);
        QCOMPARE(w.Find<QLabel>("LblLevel")->size(), w.Find<QLabel>("LblLevel")->sizeHint());

        w.Click("OptEncryptTask");
        QCOMPARE(CaptionsOf(w), EncryptCaptions);
        QVERIFY(w.Find<QPushButton>("CmdEncrypt")->isVisible());
        QVERIFY(!w.Find<QPushButton>("CmdDecrypt")->isVisible());
        QCOMPARE(EntriesOf(w), before);
        QCOMPARE(SelectedOptions(w), (QStringList{"OptEncryptTask", "OptSecretter"}));
    }

    void modeByKeyboard() {
        ShownWindow w;
        w.Key(Qt::Key_Right);
        QVERIFY(w.Find<QRadioButton>("OptDecryptTask")->isChecked());
        QCOMPARE(CaptionsOf(w), DecryptCaptions);
        QVERIFY(w.Find<QPushButton>("CmdDecrypt")->isVisible());
    }

    // Only the top level shows the second pair, whose texts survive hiding.
    void levels() {
        ShownWindow w;
        const auto secondPairShown = [&w] {
            const bool shown = w.Box("TxtPass3")->isVisible();
            for (const char* name : {"TxtPass4", "LblPass3", "LblPass4"}) {
                if (w.Find<QWidget>(name)->isVisible() != shown) {
                    qFatal("the second pair is half shown");
                }
            }
            return shown;
        };
        w.Click("OptTopSecret");
        QVERIFY(secondPairShown());
        QCOMPARE(SelectedOptions(w), (QStringList{"OptEncryptTask", "OptTopSecret"}));
        w.Type("TxtPass3", QStringLiteral("second2"));
        w.Type("TxtPass4", QStringLiteral("other22"));

        w.Click("OptSecretter");
        QVERIFY(!secondPairShown());
        QCOMPARE(SelectedOptions(w), (QStringList{"OptEncryptTask", "OptSecretter"}));
        w.Click("OptTopSecret");
        QVERIFY(secondPairShown());
        w.Click("OptSecret");
        QVERIFY(!secondPairShown());
        QCOMPARE(SelectedOptions(w), (QStringList{"OptEncryptTask", "OptSecret"}));
        QVERIFY(w.Box("TxtPass1")->isVisible() && w.Box("TxtPass2")->isVisible());

        w.Click("OptDecryptTask");
        w.Click("OptTopSecret");
        QVERIFY(secondPairShown());
        QCOMPARE(SelectedOptions(w), (QStringList{"OptDecryptTask", "OptTopSecret"}));
        QCOMPARE(w.Box("TxtPass3")->text(), QStringLiteral("second2"));
        QCOMPARE(w.Box("TxtPass4")->text(), QStringLiteral("other22"));
    }

    // Quitting asks nothing, whatever the window holds.
    void quit() {
        ShownWindow w;
        w.Type("TxtPass1", QStringLiteral("first1"));
        w.Click("CmdQuit");
        QVERIFY(!w.Window->isVisible());
        QVERIFY(w.Dialogs.Shown().isEmpty());
    }
};

QTEST_MAIN(MainWindowModesTest)
#include "main_window_modes_test.moc"
