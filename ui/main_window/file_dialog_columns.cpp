// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_dialog_columns.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QTreeView>

namespace quarnix {

namespace {

// The columns of QFileSystemModel.
enum Column { NameColumn, SizeColumn, TypeColumn, ModifiedColumn };

// "13 字节" below a kilobyte; above, whole kilobytes rounded up, "1,801 KB",
// as the file manager of Chinese Windows writes them.
QString SizeText(const QLocale& chinese, qint64 bytes) {
    if (bytes < 1024) {
        return chinese.formattedDataSize(bytes);
    }
    return chinese.toString((bytes + 1023) / 1024) + QStringLiteral(" KB");
}

class ChineseFileColumns : public QIdentityProxyModel {
  public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || files == nullptr || !index.isValid()) {
            return QIdentityProxyModel::data(index, role);
        }
        const QModelIndex source = mapToSource(index);
        switch (index.column()) {
            case SizeColumn:
                if (!files->isDir(source)) {
                    return SizeText(chinese_, files->size(source));
                }
                break;
            case TypeColumn:
                if (files->isDir(source)) {
                    return QStringLiteral("文件夹");
                }
                break;
            case ModifiedColumn:
                return chinese_.toString(files->lastModified(source), QLocale::ShortFormat);
            default:
                break;
        }
        return QIdentityProxyModel::data(index, role);
    }

  private:
    const QLocale chinese_{QLocale::Chinese, QLocale::China};  // asked for every cell shown
};

}  // namespace

void ShowFileColumnsInChinese(QFileDialog& dialog) {
    dialog.setProxyModel(new ChineseFileColumns(&dialog));
    auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (view == nullptr) {
        return;
    }
    // Wide enough for the longest usual text of each column; the name takes the rest.
    const QFontMetrics metrics = view->fontMetrics();
    const int padding = 3 * metrics.averageCharWidth();
    const std::pair<Column, const char16_t*> widest[] = {{SizeColumn, u"999,999 KB"},
                                                         {TypeColumn, u"Excel 电子表格"},
                                                         {ModifiedColumn, u"2024/12/31 23:59"}};
    int total = 0;
    for (const auto& [column, text] : widest) {
        const int width = metrics.horizontalAdvance(QString::fromUtf16(text)) + padding;
        view->header()->resizeSection(column, width);
        total += width;
    }
    dialog.resize(qMax(dialog.width(), total + 60 * metrics.averageCharWidth()), dialog.height());
}

}  // namespace quarnix
