// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/about_window/about_window_keeper.h"

#include "ui/about_window/frm_about.h"
#include "ui/about_window/url_opener.h"

namespace quarnix {

AboutWindowKeeper::AboutWindowKeeper(UrlOpener& opener) : opener_(opener) {}

AboutWindowKeeper& AboutWindowKeeper::ForProgram() {
    static DesktopUrlOpener opener;
    static AboutWindowKeeper keeper(opener);
    return keeper;
}

frmAbout* AboutWindowKeeper::Open() {
    if (OpenWindow() == nullptr) {
        // A closed window deletes itself once control returns to the event loop;
        // until then it is hidden and counts as closed.
        window_ = new frmAbout(opener_);
        window_->show();
    }
    if (window_->isMinimized()) {
        window_->showNormal();
    }
    window_->raise();
    window_->activateWindow();
    return window_;
}

frmAbout* AboutWindowKeeper::OpenWindow() const {
    if (window_ != nullptr && window_->isVisible()) {
        return window_;
    }
    return nullptr;
}

}  // namespace quarnix
