// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Keeps the one About window of the program. Open() loads and shows it modeless
// when it is not open, and brings an open one to the front as it is.

#include <QPointer>

namespace quarnix {

class UrlOpener;
class frmAbout;

class AboutWindowKeeper {
  public:
    // `opener` must outlive the keeper.
    explicit AboutWindowKeeper(UrlOpener& opener);
    AboutWindowKeeper(const AboutWindowKeeper&) = delete;
    AboutWindowKeeper& operator=(const AboutWindowKeeper&) = delete;

    // The keeper the program uses, opening addresses in the default browser.
    static AboutWindowKeeper& ForProgram();

    // Shows the About window and returns it. A window that is open keeps its height,
    // its agreement box and any text typed there, and is brought back to its normal
    // state when it was minimised; one that was closed is loaded anew.
    frmAbout* Open();

    // The About window while it is open, otherwise nullptr.
    frmAbout* OpenWindow() const;

  private:
    UrlOpener& opener_;
    QPointer<frmAbout> window_;
};

}  // namespace quarnix
