// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The file-type filter of the file-open dialog, written as description and
// pattern pairs separated by "|":  "Word文档(*.doc)|*.doc|...".

#include <QList>
#include <QString>
#include <QStringList>

namespace quarnix {

struct FileTypeEntry {
    QString Description;   // shown to the user exactly as written
    QStringList Patterns;  // wildcard patterns the dialog matches file names against
};

// Splits `filter` into its entries, in their order. Several patterns of one
// entry are separated by ";". The pattern "*.*" stands for every file; on
// Linux it would match only names with a dot, so it becomes "*". A trailing
// description without a pattern is dropped.
QList<FileTypeEntry> ParseFileTypeFilter(const QString& filter);

}  // namespace quarnix
