// SPDX-License-Identifier: GPL-3.0-or-later
#include "type_names.h"

namespace quarnix {

QString TypeDescription(const QMimeType& type, const QString& suffix) {
    const QString comment = type.isValid() && !type.isDefault() ? type.comment() : QString();
    return comment.isEmpty() ? suffix.toUpper() + QStringLiteral(" 文件") : comment;
}

}  // namespace quarnix
