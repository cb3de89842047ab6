// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// frmAbout: the About window with the logo, the version, the web link, the contact
// line and, on request, the usage agreement. It is modeless and depends on nothing
// in the main window. Each object is one load of the window: it is built and loaded
// by its constructor and deletes itself when it is closed (the window is unloaded).

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace quarnix {

class LinkLabel;
class UrlOpener;

class frmAbout : public QDialog {
    Q_OBJECT

  public:
    // Pixel sizes of the window at 15 twips per pixel. The width is that of the
    // client area. The heights are the outer heights 2800 (collapsed) and 4650
    // (expanded) less the title bar and borders of the design, 435 twips, so that
    // the client area is the same under every window manager.
    static constexpr int kClientWidth = 6555 / 15;
    static constexpr int kCollapsedOuterHeight = (2800 + 7) / 15;
    static constexpr int kExpandedOuterHeight = 4650 / 15;
    static constexpr int kDesignFrameHeight = 435 / 15;
    static constexpr int kCollapsedClientHeight = kCollapsedOuterHeight - kDesignFrameHeight;
    static constexpr int kExpandedClientHeight = kExpandedOuterHeight - kDesignFrameHeight;

    // `opener` must outlive the window.
    explicit frmAbout(UrlOpener& opener);

    // Controls, named as in the window's design; tests read and drive them.
    QLabel* picIcon = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* Label5 = nullptr;
    LinkLabel* lblWeb = nullptr;
    QLabel* Label6 = nullptr;
    QWidget* Line1 = nullptr;
    QPushButton* cmdOK = nullptr;
    LinkLabel* LblXKXY = nullptr;
    QPlainTextEdit* TxtXKXY = nullptr;

  private:
    void BuildControls();
    void Form_Load();
    void SetClientHeight(int height);
    void CentreOnScreen();

    void cmdOK_Click();
    void lblWeb_Click();
    void LblXKXY_Click();

    UrlOpener& opener_;
};

}  // namespace quarnix
