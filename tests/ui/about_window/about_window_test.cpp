// SPDX-License-Identifier: GPL-3.0-or-later
// frmAbout opened through its keeper, driven with Qt Test on the offscreen platform.

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <memory>

#include "engine/product.h"
#include "recording_url_opener.h"
#include "ui/about_window/about_texts.h"
#include "ui/about_window/about_window_keeper.h"
#include "ui/about_window/frm_about.h"
#include "ui/about_window/link_label.h"

namespace quarnix {
namespace {

QList<frmAbout*> VisibleAboutWindows() {
    QList<frmAbout*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* about = qobject_cast<frmAbout*>(widget);
        if (about != nullptr && about->isVisible()) {
            windows.append(about);
        }
    }
    return windows;
}

// Deletes the windows that closed themselves, as the event loop would.
void DeleteClosedWindows() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// What a user sees of the window: its place and size and the agreement box.
struct Appearance {
    QRect geometry;
    bool agreementVisible;
    QString agreement;
    QString version;
    bool operator==(const Appearance&) const = default;
};

Appearance AppearanceOf(const frmAbout* about) {
    return {about->geometry(), about->TxtXKXY->isVisible(), about->TxtXKXY->toPlainText(),
            about->lblVersion->text()};
}

// The agreement as the box shows it: Qt keeps paragraphs apart with plain line feeds.
// The version label of this build, as the user reads it: 版本 3.3(int63).
QString ThisVersion() {
    return QStringLiteral(u"版本 %1.%2(int%3)")
        .arg(VersionMajor)
        .arg(VersionMinor)
        .arg(VersionRevision);
}

QString AgreementAsShown() {
    return about::UsageAgreement().replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

}  // namespace

class AboutWindowTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<RecordingUrlOpener> opener_;
    std::unique_ptr<AboutWindowKeeper> keeper_;

  private slots:
    void init() {
        opener_ = std::make_unique<RecordingUrlOpener>();
        keeper_ = std::make_unique<AboutWindowKeeper>(*opener_);
    }

    void cleanup() {
        for (frmAbout* about : VisibleAboutWindows()) {
            about->close();
        }
        DeleteClosedWindows();
        keeper_.reset();
        opener_.reset();
    }

    void versionLabelIsBuiltFromTheProgramVersion() {
        frmAbout* about = keeper_->Open();
        QCOMPARE(about->lblVersion->text(), ThisVersion());
    }

    void loadShowsTheCollapsedWindowWithOkFocused() {
        frmAbout* about = keeper_->Open();
        QVERIFY(about->isVisible());
        QCOMPARE(about->size(), QSize(437, frmAbout::kCollapsedClientHeight));
        QCOMPARE(about->minimumSize(), about->maximumSize());
        QVERIFY(!about->TxtXKXY->isVisible());
        QCOMPARE(about->TxtXKXY->toPlainText(), AgreementAsShown());
        QVERIFY(!about->TxtXKXY->isReadOnly());
        QCOMPARE(about->focusWidget(), about->cmdOK);
        QVERIFY(about->cmdOK->isDefault());
    }

    void collapsedWindowShowsEverythingButTheAgreement() {
        frmAbout* about = keeper_->Open();
        const QRect client = about->rect();
        for (QWidget* control :
             {static_cast<QWidget*>(about->picIcon), static_cast<QWidget*>(about->lblTitle),
              static_cast<QWidget*>(about->lblVersion), static_cast<QWidget*>(about->Label5),
              static_cast<QWidget*>(about->lblWeb), static_cast<QWidget*>(about->Label6),
              about->Line1, static_cast<QWidget*>(about->cmdOK),
              static_cast<QWidget*>(about->LblXKXY)}) {
            QVERIFY2(client.contains(control->geometry()), qPrintable(control->objectName()));
        }
        QVERIFY(!about->TxtXKXY->isVisible());
        QVERIFY(about->TxtXKXY->geometry().top() > about->cmdOK->geometry().bottom());
        QVERIFY(about->TxtXKXY->geometry().top() > about->LblXKXY->geometry().bottom());
    }

    void windowHasACloseBoxOnlyAndNoTaskbarButton() {
        frmAbout* about = keeper_->Open();
        const Qt::WindowFlags flags = about->windowFlags();
        QCOMPARE(about->windowType(), Qt::Tool);
        QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowContextHelpButtonHint));
        QCOMPARE(about->windowTitle(), about::WindowTitle());
        const QList<QSize> iconSizes = about->windowIcon().availableSizes();
        QVERIFY(iconSizes.contains(QSize(16, 16)));
        QVERIFY(iconSizes.contains(QSize(32, 32)));
    }

    void windowIsCentredOnTheScreen() {
        frmAbout* about = keeper_->Open();
        const QRect screen = about->screen()->availableGeometry();
        const QPoint centre =
            QRect(about->pos(), QSize(frmAbout::kClientWidth, frmAbout::kCollapsedOuterHeight))
                .center();
        QVERIFY(qAbs(centre.x() - screen.center().x()) <= 1);
        QVERIFY(qAbs(centre.y() - screen.center().y()) <= 1);
    }

    void linksHaveTheLinkColourAndTheHandPointer() {
        frmAbout* about = keeper_->Open();
        for (QLabel* link :
             {static_cast<QLabel*>(about->lblWeb), static_cast<QLabel*>(about->LblXKXY)}) {
            QCOMPARE(link->palette().color(QPalette::WindowText), LinkLabel::LinkColour());
            QCOMPARE(link->cursor().shape(), Qt::BitmapCursor);
            QCOMPARE(link->cursor().hotSpot(), QPoint(6, 0));
            QCOMPARE(link->cursor().pixmap().size(), QSize(32, 32));
        }
        QCOMPARE(about->lblWeb->text(), about::WebLabel());
        QCOMPARE(about->Label6->text(), about::ContactLine());
        QCOMPARE(about->Label6->cursor().shape(), Qt::ArrowCursor);
    }

    void lineIsDrawnInTheButtonShadowColour() {
        frmAbout* about = keeper_->Open();
        const QImage line = about->Line1->grab().toImage();
        QCOMPARE(line.height(), 1);
        QCOMPARE(line.pixelColor(line.width() / 2, 0).rgb(),
                 about->palette().color(QPalette::Dark).rgb());
    }

    void logoIsFramedByOnePixel() {
        frmAbout* about = keeper_->Open();
        QVERIFY(!about->picIcon->pixmap().isNull());
        QCOMPARE(about->picIcon->pixmap().size(), QSize(104, 96));
        QCOMPARE(about->picIcon->geometry(), QRect(7, 7, 106, 98));
        QVERIFY(!about->picIcon->toolTip().isEmpty());
    }

    void openingTwiceGivesOneWindow() {
        frmAbout* first = keeper_->Open();
        frmAbout* second = keeper_->Open();
        QCOMPARE(second, first);
        QCOMPARE(VisibleAboutWindows().size(), 1);
        QCOMPARE(keeper_->OpenWindow(), first);
    }

    // Open brings back a minimised window as it was, to the front; left
    // minimised, it would keep the program running unseen after CmdQuit.
    void openRestoresAMinimisedWindow() {
        frmAbout* about = keeper_->Open();
        QTest::mouseClick(about->LblXKXY, Qt::LeftButton);
        const Appearance expanded = AppearanceOf(about);
        about->showMinimized();
        QVERIFY(about->isMinimized());
        QCOMPARE(keeper_->Open(), about);
        QVERIFY(!about->isMinimized() && about->isVisible());
        QCOMPARE(about->windowState() & ~Qt::WindowActive, Qt::WindowNoState);
        QVERIFY(AppearanceOf(about) == expanded);
        QCOMPARE(VisibleAboutWindows().size(), 1);
    }

    void agreementLabelExpandsTheWindowDownwards() {
        frmAbout* about = keeper_->Open();
        const QRect collapsed = about->geometry();
        QTest::mouseClick(about->LblXKXY, Qt::LeftButton);
        QVERIFY(about->TxtXKXY->isVisible());
        QCOMPARE(about->geometry().topLeft(), collapsed.topLeft());
        QCOMPARE(about->size(), QSize(437, frmAbout::kExpandedClientHeight));
        QVERIFY(about->rect().contains(about->TxtXKXY->geometry()));
    }

    void twoClicksOnTheAgreementLabelEqualOne() {
        frmAbout* about = keeper_->Open();
        QTest::mouseClick(about->LblXKXY, Qt::LeftButton);
        const Appearance once = AppearanceOf(about);
        QTest::mouseClick(about->LblXKXY, Qt::LeftButton);
        QVERIFY(AppearanceOf(about) == once);
        QVERIFY(about->TxtXKXY->isVisible());
    }

    void secondOpenKeepsTheExpandedWindowAndTypedText() {
        frmAbout* about = keeper_->Open();
        QTest::mouseClick(about->LblXKXY, Qt::LeftButton);
        about->TxtXKXY->moveCursor(QTextCursor::End);
        QTest::keyClicks(about->TxtXKXY, QStringLiteral("typed"));
        const Appearance before = AppearanceOf(about);
        QVERIFY(before.agreement.endsWith(QStringLiteral("typed")));

        QCOMPARE(keeper_->Open(), about);
        QVERIFY(AppearanceOf(about) == before);
        QCOMPARE(VisibleAboutWindows().size(), 1);
    }

    void reopeningAfterCloseLoadsTheWindowAnew() {
        frmAbout* about = keeper_->Open();
        QTest::mouseClick(about->LblXKXY, Qt::LeftButton);
        about->TxtXKXY->setPlainText(QStringLiteral("edited"));
        about->close();
        QCOMPARE(keeper_->OpenWindow(), nullptr);
        DeleteClosedWindows();

        frmAbout* again = keeper_->Open();
        QVERIFY(again->isVisible());
        QVERIFY(!again->TxtXKXY->isVisible());
        QCOMPARE(again->TxtXKXY->toPlainText(), AgreementAsShown());
        QCOMPARE(again->size(), QSize(437, frmAbout::kCollapsedClientHeight));
        QCOMPARE(again->lblVersion->text(), ThisVersion());
        QCOMPARE(again->focusWidget(), again->cmdOK);
    }

    void reopeningBeforeTheClosedWindowIsDeletedStillLoadsAnew() {
        frmAbout* about = keeper_->Open();
        QTest::mouseClick(about->LblXKXY, Qt::LeftButton);
        about->close();
        frmAbout* again = keeper_->Open();
        QVERIFY(again != about);
        QVERIFY(!again->TxtXKXY->isVisible());
        QCOMPARE(VisibleAboutWindows().size(), 1);
    }

    void escapeClosesTheWindow() {
        QPointer<frmAbout> about = keeper_->Open();
        QTest::keyClick(about, Qt::Key_Escape);
        QVERIFY(about.isNull() || !about->isVisible());
        QCOMPARE(keeper_->OpenWindow(), nullptr);
        DeleteClosedWindows();
        QVERIFY(about.isNull());
    }

    void enterClosesTheWindow_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("Return") << int(Qt::Key_Return);
        QTest::newRow("Enter") << int(Qt::Key_Enter);
    }

    void enterClosesTheWindow() {
        QFETCH(int, key);
        QPointer<frmAbout> about = keeper_->Open();
        QTest::keyClick(about->focusWidget(), Qt::Key(key));
        QCOMPARE(keeper_->OpenWindow(), nullptr);
        DeleteClosedWindows();
        QVERIFY(about.isNull());
    }

    void okButtonClosesTheWindow() {
        QPointer<frmAbout> about = keeper_->Open();
        QTest::mouseClick(about->cmdOK, Qt::LeftButton);
        QCOMPARE(keeper_->OpenWindow(), nullptr);
        DeleteClosedWindows();
        QVERIFY(about.isNull());
    }

    void webLabelOpensTheHomePageAndLeavesTheWindowAsItIs() {
        frmAbout* about = keeper_->Open();
        QTest::mouseClick(about->LblXKXY, Qt::LeftButton);
        const Appearance before = AppearanceOf(about);
        QTest::mouseClick(about->lblWeb, Qt::LeftButton);
        QCOMPARE(opener_->opened, QList<QUrl>{about::HomePage()});
        QCOMPARE(keeper_->OpenWindow(), about);
        QVERIFY(AppearanceOf(about) == before);
    }

    void otherButtonsAndReleasesOutsideAreNoClick() {
        frmAbout* about = keeper_->Open();
        QTest::mouseClick(about->lblWeb, Qt::RightButton);
        QTest::mousePress(about->lblWeb, Qt::LeftButton);
        QTest::mouseRelease(about->lblWeb, Qt::LeftButton, {},
                            about->lblWeb->rect().bottomRight() + QPoint(5, 5));
        QVERIFY(opener_->opened.isEmpty());
    }
};

}  // namespace quarnix

QTEST_MAIN(quarnix::AboutWindowTest)
#include "about_window_test.moc"
