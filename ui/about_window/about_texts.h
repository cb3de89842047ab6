// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The fixed texts and addresses that the About window shows.

#include <QString>
#include <QUrl>

namespace quarnix::about {

// Text of the title bar.
QString WindowTitle();

// "版本 " major "." minor "(int" revision ")", each number in plain decimal.
QString VersionLabel(int major, int minor, int revision);

// The maker's home page, opened by a click on the web label.
QUrl HomePage();

// "下载：" followed by the host name of the home page.
QString WebLabel();

// "邮箱：" and the e-mail address, seven spaces, "QQ：" and the QQ number.
QString ContactLine();

// Tooltip of the logo.
QString LogoToolTip();

// The usage agreement as it is shown at each load: lines separated by CR LF.
QString UsageAgreement();

}  // namespace quarnix::about
