// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A label in link style: its text in the colour of an active window's title bar,
// the hand pointer over it, and a clicked() signal for a click of the left button.

#include <QLabel>

namespace quarnix {

class LinkLabel : public QLabel {
    Q_OBJECT

  public:
    LinkLabel(const QString& text, QWidget* parent);

    // The colour link-style labels use. Qt has no colour role for a title bar,
    // so this is the active Highlight colour of the application's palette, which
    // desktop themes derive from the same accent as the active title bar.
    static QColor LinkColour();

  signals:
    void clicked();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    bool pressed_ = false;
};

// The hand-shaped pointer shown over links: the same as over the main window's
// information picture.
QCursor HandPointer();

}  // namespace quarnix
