// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How the About window hands a web address to the desktop. The program uses
// DesktopUrlOpener; tests put a recording fake in its place.

#include <QUrl>

namespace quarnix {

class UrlOpener {
  public:
    virtual ~UrlOpener() = default;
    // Starts opening the address and returns at once. The outcome is not reported:
    // a browser that cannot be started changes nothing and shows nothing.
    virtual void OpenUrl(const QUrl& url) = 0;
};

// Opens addresses in the user's default browser through QDesktopServices
// (xdg-open or the desktop portal on Linux).
class DesktopUrlOpener final : public UrlOpener {
  public:
    void OpenUrl(const QUrl& url) override;
};

}  // namespace quarnix
