// SPDX-License-Identifier: GPL-3.0-or-later
#include "promised_type.h"

#include <QFileInfo>
#include <QMimeDatabase>
#include <QSet>

#include "magic_reach.h"
#include "text_content.h"
#include "type_names.h"

namespace quarnix {
namespace {

bool IsTextType(const QMimeType& type) {
    return type.name() == u"text/plain" || type.inherits(QStringLiteral("text/plain"));
}

// The type and its ancestors that have content rules.
QSet<QString> RuledFamily(const QMimeType& type) {
    QSet<QString> family;
    const MagicReach& magic = MagicReach::Installed();
    if (!type.isValid() || type.isDefault()) {
        return family;
    }
    QStringList names = type.allAncestors();
    names.prepend(type.name());
    for (const QString& name : names) {
        if (magic.Reach(name)) {
            family.insert(name);
        }
    }
    return family;
}

QMimeType ContentType(QByteArrayView bytes) {
    return QMimeDatabase().mimeTypeForData(bytes.toByteArray());
}

}  // namespace

PromisedType::PromisedType(const QString& fileName) {
    const QString name = QFileInfo(fileName).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot <= 0 || dot == name.size() - 1) {
        return;  // no extension; a leading dot starts a hidden file's name
    }
    suffix_ = name.mid(dot + 1);
    types_ = QMimeDatabase().mimeTypesForFileName(name);
}

bool PromisedType::CanTell(std::uint64_t previewLength, bool wholeFile) const {
    if (types_.isEmpty()) {
        return false;
    }
    const MagicReach& magic = MagicReach::Installed();
    for (const QMimeType& type : types_) {
        if (type.isDefault()) {
            return false;
        }
        if (IsTextType(type)) {
            continue;
        }
        const QSet<QString> family = RuledFamily(type);
        if (family.isEmpty()) {
            return false;
        }
        for (const QString& name : family) {
            if (!wholeFile && *magic.Reach(name) > previewLength) {
                return false;
            }
        }
    }
    return true;
}

bool PromisedType::KeptBy(QByteArrayView bytes) const {
    const QSet<QString> found = RuledFamily(ContentType(bytes));
    for (const QMimeType& type : types_) {
        if (IsTextType(type) && LooksLikeText(bytes)) {
            return true;
        }
        if (RuledFamily(type).intersects(found)) {
            return true;
        }
    }
    return false;
}

QString PromisedType::Description() const {
    return types_.isEmpty() ? QString() : TypeDescription(types_.first(), suffix_);
}

bool RecognisedContent(QByteArrayView bytes) {
    if (LooksLikeText(bytes)) {
        return true;
    }
    // The content rules of some text types are a single character, which
    // random bytes meet now and then ("%" for MATLAB): bytes that are no text
    // are not recognised as such a type.
    const QMimeType type = ContentType(bytes);
    return !RuledFamily(type).isEmpty() && !IsTextType(type);
}

}  // namespace quarnix
