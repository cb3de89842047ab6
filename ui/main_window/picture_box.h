// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A borderless picture that answers a click of the left mouse button.

#include <QLabel>

namespace quarnix {

class PictureBox : public QLabel {
    Q_OBJECT
  public:
    explicit PictureBox(QWidget* parent);

  signals:
    void clicked();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace quarnix
