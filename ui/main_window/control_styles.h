// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Styles given to single controls of the main window. Each is made once and
// lives as long as the application.

#include <QProxyStyle>

namespace quarnix {

// The application's style, except that a hidden character of a password box
// is drawn as "*" rather than the platform's dot, and at once.
class PasswordCharacterStyle : public QProxyStyle {
    Q_OBJECT
  public:
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
};

QStyle& PasswordBoxStyle();

// Frames with their caption set into the top border line, whatever the
// desktop's style, so that the options keep their places inside the frame.
QStyle& FrameStyle();

}  // namespace quarnix
