// SPDX-License-Identifier: GPL-3.0-or-later
#include "content_verdict.h"

#include <QByteArrayView>

#include "engine/format/level_marker.h"
#include "marked_name.h"
#include "promised_type.h"

namespace quarnix {
namespace {

QByteArrayView View(const std::vector<std::uint8_t>& bytes) {
    return QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// "秘密", "机密" or "绝密": the marker without its brackets and dot.
QString LevelName(Level level) {
    const std::u16string_view marker = LevelMarker(level);
    return QString::fromUtf16(marker.substr(1, 2).data(), 2);
}

// The type's description after a Chinese word: "不像 PDF 文档" but "不像纯文本文档".
QString AfterWord(const QString& description) {
    const bool latin = !description.isEmpty() && description.front().unicode() < 0x80;
    return latin ? u' ' + description : description;
}

}  // namespace

ContentVerdict JudgeContent(const ContentPreview& preview) {
    const bool decrypt = preview.Way == Direction::Decrypt;
    if (!decrypt && !MarkedLevel(preview.FilePath)) {
        return {};  // an encryption is questioned only for a name with a marker
    }
    const PromisedType promised(QString::fromStdU16String(
        decrypt ? preview.PromisedPath : NameWithoutMarker(preview.FilePath)));
    if (!promised.CanTell(preview.Current.size(), preview.Current.size() >= preview.FileLength)) {
        return {};
    }
    ContentConcern concern = ContentConcern::None;
    if (decrypt) {
        const SeenContent result = See(View(preview.Result));
        if (promised.KeptBy(result)) {
            return {};
        }
        if (promised.KeptBy(See(View(preview.Current)))) {
            concern = ContentConcern::AlreadyPlain;
        } else if (!Recognised(result)) {
            // A result of some other known type means a misnamed file rather
            // than a wrong password: no question then.
            concern = ContentConcern::ResultUnlikeType;
        }
    } else if (!Recognised(See(View(preview.Current)))) {
        concern = ContentConcern::AlreadyEncrypted;
    }
    if (concern == ContentConcern::None) {
        return {};
    }
    return {concern, preview.Level, promised.Description()};
}

QString ConcernText(const ContentVerdict& verdict) {
    const QString type = AfterWord(verdict.TypeDescription);
    switch (verdict.Concern) {
        case ContentConcern::ResultUnlikeType:
            return QStringLiteral("用这组密码按“") + LevelName(verdict.Level) +
                   QStringLiteral("”等级解密后，文件内容不像") + type +
                   QStringLiteral("，密码或加密等级可能不对。");
        case ContentConcern::AlreadyPlain:
            return QStringLiteral("文件内容已经是") + type +
                   QStringLiteral("，看来并没有加密，解密反而会把它弄乱。");
        case ContentConcern::AlreadyEncrypted:
            return QStringLiteral("文件名中已有加密等级标记，内容也不像") + type +
                   QStringLiteral("，看来已经加密过了。");
        case ContentConcern::None:
            break;
    }
    return {};
}

QString ConcernQuestion(const ContentVerdict& verdict) {
    if (verdict.Concern == ContentConcern::None) {
        return {};
    }
    const bool encrypt = verdict.Concern == ContentConcern::AlreadyEncrypted;
    return ConcernText(verdict) +
           (encrypt ? QStringLiteral("\r\n仍要加密吗？") : QStringLiteral("\r\n仍要解密吗？"));
}

}  // namespace quarnix
