#include "file_dialog_columns.h"

#include <QFileSystemModel>
#include <QLocale>

namespace quarnix {

namespace {

// The columns of QFileSystemModel.
enum Column { NameColumn, SizeColumn, TypeColumn, ModifiedColumn };

}  // namespace

QVariant ChineseFileColumns::data(const QModelIndex& index, int role) const {
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (role != Qt::DisplayRole || files == nullptr || !index.isValid()) {
        return QIdentityProxyModel::data(index, role);
    }
    const QModelIndex source = mapToSource(index);
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    switch (index.column()) {
        case SizeColumn:
            if (!files->isDir(source)) {
                return chinese.formattedDataSize(files->size(source));
            }
            break;
        case TypeColumn:
            if (files->isDir(source)) {
                return QStringLiteral("文件夹");
            }
            break;
        case ModifiedColumn:
            return chinese.toString(files->lastModified(source), QLocale::ShortFormat);
        default:
            break;
    }
    return QIdentityProxyModel::data(index, role);
}

}  // namespace quarnix
