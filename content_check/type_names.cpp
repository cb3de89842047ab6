// SPDX-License-Identifier: GPL-3.0-or-later
#include "type_names.h"

#include <QFile>
#include <QStandardPaths>
#include <QXmlStreamReader>

namespace quarnix {
namespace {

// The database keeps each type's comments in all languages in
// "mime/<media>/<subtype>.xml"; QMimeType::comment() picks one by the
// process's locale, whereas this program speaks Chinese whatever the locale.
QString ChineseComment(const QString& typeName) {
    const QString path =
        QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                               QStringLiteral("mime/") + typeName + QStringLiteral(".xml"));
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"comment" &&
            xml.attributes().value(QStringLiteral("xml:lang")) == u"zh_CN") {
            return xml.readElementText().trimmed();
        }
    }
    return {};
}

}  // namespace

QString TypeDescription(const QMimeType& type, const QString& suffix) {
    const QString comment = ChineseComment(type.name());
    return comment.isEmpty() ? suffix.toUpper() + QStringLiteral(" 文件") : comment;
}

}  // namespace quarnix
