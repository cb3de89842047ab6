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
#include <QString>
#include <cstdint>

namespace quarnix {

class PromisedType {
  public:
    // The types the database gives to the extension of `fileName`; none for
    // a name without an extension or with one the database does not know.
    explicit PromisedType(const QString& fileName);

    // Whether the content can say if the promise is kept, from a preview of
    // `previewLength` leading bytes (`wholeFile`: the preview is the whole
    // file). So it is when every type of the name is a text type or has
    // content rules (of its own or of an ancestor), all of which look no
    // further than the preview.
    bool CanTell(std::uint64_t previewLength, bool wholeFile) const;

    bool KeptBy(QByteArrayView bytes) const;

    // The name's type, e.g. "PDF 文档".
    QString Description() const;

  private:
    QString suffix_;
    QList<QMimeType> types_;
};

// Whether the bytes are anything at all: text, or of a type other than a
// text type that the database recognises by its content rules.
bool RecognisedContent(QByteArrayView bytes);

}  // namespace quarnix
