// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_type_filter.h"

namespace quarnix {

namespace {

QStringList PatternsOf(const QString& patternText) {
    QStringList patterns;
    for (const QString& part : patternText.split(u';', Qt::SkipEmptyParts)) {
        const QString pattern = part.trimmed();
        if (pattern.isEmpty()) {
            continue;
        }
        patterns.append(pattern == u"*.*" ? QStringLiteral("*") : pattern);
    }
    return patterns;
}

}  // namespace

QList<FileTypeEntry> ParseFileTypeFilter(const QString& filter) {
    const QStringList items = filter.split(u'|');
    QList<FileTypeEntry> entries;
    for (qsizetype i = 0; i + 1 < items.size(); i += 2) {
        entries.append(FileTypeEntry{items[i], PatternsOf(items[i + 1])});
    }
    return entries;
}

}  // namespace quarnix
