// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a file's name promises its content to be, as types of the shared MIME
// database through QMimeDatabase, and whether given bytes keep the promise.
//
// Bytes keep the promise of a type when they read like text and the type is
// a text type, or when the type QMimeDatabase finds for them by content and
// the promised type share a type with content rules, either of them or an
// ancestor: a .docx found to be a ZIP archive keeps its promise.

#include <QByteArrayView>
#include <QList>
#include <QMimeType>
#include <QSet>
#include <QString>
#include <cstdint>

namespace quarnix {

// What the text test and the database's content rules make of some bytes,
// worked out once for all the questions asked about them.
struct SeenContent {
    bool Text = false;    // reads like text
    QMimeType Type;       // the database's type by content
    QSet<QString> Ruled;  // that type and its ancestors that have content rules
};

SeenContent See(QByteArrayView bytes);

class PromisedType {
  public:
    // The types the database gives to the extension of `fileName`; none for
    // a name without an extension or with one the database does not know.
    // `fileName` carries no level marker (NameWithoutMarkers); the type that
    // the installed package gives to marked names is left out all the same.
    explicit PromisedType(const QString& fileName);

    // Whether the content can say if the promise is kept, from a preview of
    // `previewLength` leading bytes (`wholeFile`: the preview is the whole
    // file). So it is when every type of the name is a text type or has
    // content rules (of its own or of an ancestor), all of which look no
    // further than the preview.
    bool CanTell(std::uint64_t previewLength, bool wholeFile) const;

    bool KeptBy(const SeenContent& content) const;

    // The name's type, e.g. "PDF 文档".
    QString Description() const;

  private:
    struct Promise {
        QMimeType Type;
        bool Text = false;
        QSet<QString> Ruled;  // as in SeenContent
    };

    QString suffix_;
    QList<Promise> promises_;
};

// Whether the bytes are anything at all: text, or of a type other than a
// text type that the database recognises by its content rules.
bool Recognised(const SeenContent& content);

}  // namespace quarnix
