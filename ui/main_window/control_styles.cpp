// SPDX-License-Identifier: GPL-3.0-or-later
#include "control_styles.h"

#include <QApplication>
#include <QPointer>
#include <QStyleFactory>

namespace quarnix {

namespace {

// Made at the first call, parented to the application, which deletes it at
// its end; made again should another application object follow.
template <typename Make>
QStyle& ApplicationStyle(QPointer<QStyle>& style, Make make) {
    if (style.isNull()) {
        style = make();
        style->setParent(qApp);
    }
    return *style;
}

}  // namespace

int PasswordCharacterStyle::styleHint(StyleHint hint, const QStyleOption* option,
                                      const QWidget* widget, QStyleHintReturn* returnData) const {
    switch (hint) {
        case SH_LineEdit_PasswordCharacter:
            return u'*';
        case SH_LineEdit_PasswordMaskDelay:
            return 0;
        default:
            return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
}

QStyle& PasswordBoxStyle() {
    static QPointer<QStyle> style;
    return ApplicationStyle(style, [] { return new PasswordCharacterStyle(); });
}

QStyle& FrameStyle() {
    static QPointer<QStyle> style;
    return ApplicationStyle(style, [] {
        QStyle* windows = QStyleFactory::create(QStringLiteral("Windows"));
        return windows != nullptr ? windows : new QProxyStyle();
    });
}

}  // namespace quarnix
