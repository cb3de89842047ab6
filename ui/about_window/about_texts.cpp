// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/about_window/about_texts.h"

namespace quarnix::about {
namespace {

// Placeholder contact details: the example.org domain is reserved for examples,
// and a QQ number never starts with 0, so neither can reach a real person.
constexpr char16_t kHomePage[] = u"https://quarnix.example.org/";
constexpr char16_t kEmail[] = u"quarnix@example.org";
constexpr char16_t kQqNumber[] = u"00000000";

}  // namespace

QString WindowTitle() {
    return QStringLiteral(u"关于 Quarnix");
}

QString VersionLabel(int major, int minor, int revision) {
    return QStringLiteral(u"版本 %1.%2(int%3)").arg(major).arg(minor).arg(revision);
}

QUrl HomePage() {
    return QUrl(QString::fromUtf16(kHomePage));
}

QString WebLabel() {
    return QStringLiteral(u"下载：") + HomePage().host();
}

QString ContactLine() {
    return QStringLiteral(u"邮箱：") + QString::fromUtf16(kEmail) + QString(7, u' ') +
           QStringLiteral(u"QQ：") + QString::fromUtf16(kQqNumber);
}

QString LogoToolTip() {
    return QStringLiteral(u"Quarnix —— 为您的文件加一把锁");
}

}  // namespace quarnix::about
