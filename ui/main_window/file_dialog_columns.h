#pragma once
// The columns of Qt's file dialog in the program's language, whatever the
// user's locale: sizes and times written the Chinese way ("2 字节",
// "2024/3/8 14:05") and "文件夹" as the type of a folder. Qt takes sizes and
// times from the system's locale, and its Chinese translation has no word for
// a folder's type.

#include <QIdentityProxyModel>

namespace quarnix {

class ChineseFileColumns : public QIdentityProxyModel {
  public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
};

}  // namespace quarnix
