// SPDX-License-Identifier: GPL-3.0-or-later
#include <QDesktopServices>

#include "ui/about_window/url_opener.h"

namespace quarnix {

void DesktopUrlOpener::OpenUrl(const QUrl& url) {
    // The result is deliberately ignored: when no browser can be started the
    // About window stays as it is and no message is shown.
    static_cast<void>(QDesktopServices::openUrl(url));
}

}  // namespace quarnix
