// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Chinese description of a type, as the shared MIME database has it.

#include <QMimeType>
#include <QString>

namespace quarnix {

// The database's comment on `type` in the default locale's language, e.g.
// "PDF 文档" (the front ends make the default locale Chinese, whatever the
// system's); without one, the upper-case `suffix` followed by " 文件".
QString TypeDescription(const QMimeType& type, const QString& suffix);

}  // namespace quarnix
