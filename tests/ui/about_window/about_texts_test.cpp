// SPDX-License-Identifier: GPL-3.0-or-later
// The fixed texts of the About window and the production URL opener.

#include <QDesktopServices>
#include <QRegularExpression>
#include <QTest>

#include "ui/about_window/about_texts.h"
#include "ui/about_window/url_opener.h"

namespace quarnix {
namespace {

// Receives the addresses QDesktopServices hands to a registered scheme handler.
class UrlSink : public QObject {
    Q_OBJECT

  public:
    QList<QUrl> received;

  public slots:
    void Receive(const QUrl& url) { received.append(url); }
};

}  // namespace

class AboutTextsTest : public QObject {
    Q_OBJECT

  private slots:
    void versionLabelWritesThePlainNumbers_data() {
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<int>("revision");
        QTest::addColumn<QString>("label");
        QTest::newRow("this version") << 3 << 3 << 63 << QStringLiteral(u"版本 3.3(int63)");
        QTest::newRow("no leading zeros") << 3 << 0 << 7 << QStringLiteral(u"版本 3.0(int7)");
        QTest::newRow("two digits") << 12 << 10 << 1234 << QStringLiteral(u"版本 12.10(int1234)");
    }

    void versionLabelWritesThePlainNumbers() {
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(int, revision);
        QFETCH(QString, label);
        QCOMPARE(about::VersionLabel(major, minor, revision), label);
    }

    void webLabelShowsTheHostOfTheHomePage() {
        const QUrl home = about::HomePage();
        QVERIFY(home.isValid());
        QCOMPARE(home.scheme(), QStringLiteral("https"));
        QVERIFY(home.host().endsWith(QStringLiteral(".example.org")));
        QCOMPARE(about::WebLabel(), QStringLiteral(u"下载：") + home.host());
    }

    void contactLineHasMailboxSevenSpacesAndQq() {
        static const QRegularExpression pattern(
            QStringLiteral(u"^邮箱：([^ @]+@(?:[^ @]+\\.)?example\\.org) {7}QQ：(0[0-9]+)$"));
        QVERIFY2(pattern.match(about::ContactLine()).hasMatch(), qPrintable(about::ContactLine()));
    }

    void agreementLinesAreSeparatedByCrLf() {
        const QString text = about::UsageAgreement();
        QVERIFY(text.contains(QStringLiteral("\r\n")));
        QCOMPARE(text.count(u'\n'), text.count(QStringLiteral("\r\n")));
        QCOMPARE(text.count(u'\r'), text.count(QStringLiteral("\r\n")));
        QVERIFY(!text.endsWith(u'\n'));
    }

    void agreementHasAPreambleOfThreeParagraphsAndSixSections() {
        const QStringList lines = about::UsageAgreement().split(QStringLiteral("\r\n"));
        const QStringList headings = {QStringLiteral(u"一、"), QStringLiteral(u"二、"),
                                      QStringLiteral(u"三、"), QStringLiteral(u"四、"),
                                      QStringLiteral(u"五、"), QStringLiteral(u"六、")};
        qsizetype next = 0;
        qsizetype firstHeading = -1;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (next < headings.size() && lines[i].startsWith(headings[next])) {
                firstHeading = next == 0 ? i : firstHeading;
                ++next;
            }
        }
        QCOMPARE(next, headings.size());
        // Title line, then the preamble: the non-empty lines before the first section.
        const QStringList preamble = lines.mid(1, firstHeading - 1);
        qsizetype paragraphs = 0;
        for (const QString& line : preamble) {
            paragraphs += line.isEmpty() ? 0 : 1;
        }
        QCOMPARE(paragraphs, 3);
    }

    void agreementIsAboutThirteenHundredCharacters() {
        const qsizetype length = about::UsageAgreement().size();
        QVERIFY2(length >= 1200 && length <= 1450, qPrintable(QString::number(length)));
    }

    void agreementSaysWhatTheProgramDoesToAFile() {
        const QString text = about::UsageAgreement();
        QVERIFY(text.contains(QStringLiteral(u"直接改写原文件")));
        QVERIFY(text.contains(QStringLiteral(u"用错误的密码或等级解密仍可能不被察觉")));
        QVERIFY(text.contains(QStringLiteral(u"混淆手段")));
        QVERIFY(text.contains(QStringLiteral(u"不能代替成熟的强加密软件")));
    }

    // The program's licence, and no prohibition of what the licence allows.
    void agreementGrantsTheLicence() {
        const QString text = about::UsageAgreement();
        QVERIFY(text.contains(QStringLiteral("GPL-3.0-or-later")));
        QVERIFY(text.contains(QStringLiteral(u"也可以修改它")));
        QVERIFY(text.contains(QStringLiteral(u"也可以收费")));
        QVERIFY2(!text.contains(QStringLiteral(u"不得")), "the agreement forbids something");
    }

    void desktopOpenerHandsTheAddressToQDesktopServices() {
        UrlSink sink;
        const QString scheme = QStringLiteral("quarnix-test");
        QDesktopServices::setUrlHandler(scheme, &sink, "Receive");
        const QUrl url(QStringLiteral("quarnix-test://home/page"));
        DesktopUrlOpener().OpenUrl(url);
        QDesktopServices::unsetUrlHandler(scheme);
        QCOMPARE(sink.received, QList<QUrl>{url});
    }
};

}  // namespace quarnix

QTEST_MAIN(quarnix::AboutTextsTest)
#include "about_texts_test.moc"
