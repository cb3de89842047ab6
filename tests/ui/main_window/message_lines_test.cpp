// SPDX-License-Identifier: GPL-3.0-or-later
// The program's message boxes show long texts in even lines: Qt wraps no line
// again, so none is left with a word or two of its sentence.

#include <QLabel>
#include <QTest>
#include <QTextLayout>

#include "qt_modal_dialogs.h"

namespace {

// The lines of `label` as it lays out its text at its width.
QStringList ShownLines(const QLabel& label) {
    QStringList shown;
    for (const QString& paragraph : label.text().split(u'\n')) {
        QTextLayout layout(paragraph, label.font());
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(label.contentsRect().width());
            shown << paragraph.mid(line.textStart(), line.textLength()).trimmed();
        }
        layout.endLayout();
    }
    return shown;
}

}  // namespace

class MessageLinesTest : public QObject {
    Q_OBJECT
  private slots:
    void longTextsShowInEvenLines_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("icon");
        QTest::newRow("second encryption")
            << QStringLiteral(
                   u"文件内容不像Word 文档，用这组密码按“秘密”等级解密后才像，"
                   u"看来已经加密过了。\r\n仍要加密吗？")
            << false;
        QTest::newRow("close during work")
            << QStringLiteral(u"文件正在处理中。要停止处理并退出吗？停止后文件保持原样。") << false;
        QTest::newRow("a long name, with an icon")
            << QStringLiteral(
                   u"备份文件“/home/user/文档/2026 年度预算与决算报告（最终版）.xlsx.备份”"
                   u"已经存在，可能是以前唯一的一份备份，没有替换它。文件未改动。")
            << true;
    }
    void longTextsShowInEvenLines() {
        QFETCH(QString, text);
        QFETCH(bool, icon);
        auto box = icon ? quarnix::MakeMessageBox(nullptr, text, QStringLiteral("错误"),
                                                  quarnix::MessageIcon::Exclamation)
                        : quarnix::MakeYesNoBox(nullptr, text, QStringLiteral("友情提示"));
        box->show();
        const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        QVERIFY(label != nullptr);
        QString joined = label->text();
        joined.remove(u'\n');
        QCOMPARE(joined, QString(text).remove(u'\r').remove(u'\n'));
        const QStringList shown = ShownLines(*label);
        QCOMPARE(shown, label->text().split(u'\n'));  // no line wrapped again
        for (const QString& line : shown) {
            QVERIFY2(line.size() >= 6 || line.endsWith(u'？'), qPrintable(shown.join(u'|')));
        }
    }
};

QTEST_MAIN(MessageLinesTest)
#include "message_lines_test.moc"
