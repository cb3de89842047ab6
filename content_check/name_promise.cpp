// SPDX-License-Identifier: GPL-3.0-or-later
#include "name_promise.h"

#include <QFileInfo>
#include <QMimeDatabase>

#include "content_check/structure/named_formats.h"
#include "structure_look.h"

namespace quarnix {

NamePromise::NamePromise(const ContentPreview& preview)
    : type_(QString::fromStdU16String(preview.PromisedPath)),
      byType_(type_.CanTell(preview.Current.size(), preview.Current.size() >= preview.FileLength)) {
    if (!byType_) {
        const QString name = QFileInfo(QString::fromStdU16String(preview.PromisedPath)).fileName();
        named_ = structure::FormatNamedBy(name.toStdString());
    }
}

bool NamePromise::KeptBy(const ContentPreview& preview, PreviewSide side,
                         const SeenContent& seen) const {
    if (byType_) {
        return type_.KeptBy(seen);
    }
    return named_ != nullptr && named_->Begins(SideOf(preview, side));
}

QString NamePromise::Description() const {
    const QString described = type_.Description();
    if (!described.isEmpty() || named_ == nullptr) {
        return described;
    }
    const QMimeType format = QMimeDatabase().mimeTypeForName(
        QString::fromLatin1(named_->Format.data(), static_cast<qsizetype>(named_->Format.size())));
    return format.isValid() ? format.comment() : QString();
}

}  // namespace quarnix
