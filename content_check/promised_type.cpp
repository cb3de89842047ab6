// SPDX-License-Identifier: GPL-3.0-or-later
#include "promised_type.h"

#include <QFileInfo>
#include <QMimeDatabase>
#include <QSet>
#include <algorithm>

#include "magic_reach.h"
#include "text_content.h"
#include "type_names.h"

namespace quarnix {
namespace {

bool IsTextType(const QMimeType& type) {
    return type.name() == u"text/plain" || type.inherits(QStringLiteral("text/plain"));
}

// The type and its ancestors that have content rules. Text types are left
// out: text is told by the text test alone, never by rules such as the
// database's "This is TeX," for text/plain.
QSet<QString> RuledFamily(const QMimeType& type) {
    QSet<QString> family;
    const MagicReach& magic = MagicReach::Installed();
    if (!type.isValid() || type.isDefault()) {
        return family;
    }
    QStringList names = type.allAncestors();
    names.prepend(type.name());
    const QMimeDatabase database;
    for (const QString& name : names) {
        if (magic.Reach(name) && !IsTextType(database.mimeTypeForName(name))) {
            family.insert(name);
        }
    }
    return family;
}

// Types whose content rules tell only some of their real files, so that a
// right decryption of another would break the name's promise: Python
// bytecode (the magic number of one old version), OpenPGP data (its armoured
// text, a few old packet headers, and a text type besides). A name of one of
// them promises nothing by these rules; the format checks tell such files
// by their start instead (structure/named_formats.h).
bool RulesMissRealFiles(const QMimeType& type) {
    static const QStringList Types = {QStringLiteral("application/x-python-bytecode"),
                                      QStringLiteral("application/pgp-encrypted"),
                                      QStringLiteral("application/pgp-keys"),
                                      QStringLiteral("application/pgp-signature")};
    return Types.contains(type.name());
}

}  // namespace

SeenContent See(QByteArrayView bytes) {
    SeenContent seen;
    seen.Text = LooksLikeText(bytes);
    seen.Type = QMimeDatabase().mimeTypeForData(bytes.toByteArray());
    seen.Ruled = RuledFamily(seen.Type);
    return seen;
}

PromisedType::PromisedType(const QString& fileName) {
    const QString name = QFileInfo(fileName).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot <= 0 || dot == name.size() - 1) {
        return;  // no extension; a leading dot starts a hidden file's name
    }
    suffix_ = name.mid(dot + 1);
    const QList<QMimeType> types = QMimeDatabase().mimeTypesForFileName(name);
    if (std::any_of(types.begin(), types.end(), RulesMissRealFiles)) {
        return;
    }
    for (const QMimeType& type : types) {
        // Our own type of marked names promises nothing about the content.
        if (type.name() != QStringLiteral(QUARNIX_ENCRYPTED_TYPE)) {
            promises_.append({type, IsTextType(type), RuledFamily(type)});
        }
    }
}

bool PromisedType::CanTell(std::uint64_t previewLength, bool wholeFile) const {
    if (promises_.isEmpty()) {
        return false;
    }
    const MagicReach& magic = MagicReach::Installed();
    for (const Promise& promise : promises_) {
        if (promise.Type.isDefault()) {
            return false;
        }
        if (promise.Text) {
            continue;
        }
        if (promise.Ruled.isEmpty()) {
            return false;
        }
        for (const QString& name : promise.Ruled) {
            if (!wholeFile && *magic.Reach(name) > previewLength) {
                return false;
            }
        }
    }
    return true;
}

bool PromisedType::KeptBy(const SeenContent& content) const {
    return std::any_of(promises_.begin(), promises_.end(), [&content](const Promise& promise) {
        return (promise.Text && content.Text) || promise.Ruled.intersects(content.Ruled);
    });
}

QString PromisedType::Description() const {
    return promises_.isEmpty() ? QString() : TypeDescription(promises_.first().Type, suffix_);
}

bool Recognised(const SeenContent& content) {
    // The content rules of some text types are a single character, which
    // random bytes meet now and then ("%" for MATLAB): bytes that are no text
    // are not recognised as such a type.
    return content.Text || (!content.Ruled.isEmpty() && !IsTextType(content.Type));
}

}  // namespace quarnix
