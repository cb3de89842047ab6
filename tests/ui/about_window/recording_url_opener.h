// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A URL opener for tests: records each address instead of starting a browser.

#include <QList>
#include <QUrl>

#include "ui/about_window/url_opener.h"

namespace quarnix {

class RecordingUrlOpener final : public UrlOpener {
  public:
    void OpenUrl(const QUrl& url) override { opened.append(url); }

    QList<QUrl> opened;
};

}  // namespace quarnix
