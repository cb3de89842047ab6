// SPDX-License-Identifier: GPL-3.0-or-later
#include "content_verdict.h"

#include <QByteArrayView>
#include <optional>

#include "byte_order.h"
#include "engine/format/level_marker.h"
#include "key_trace.h"
#include "name_promise.h"
#include "promised_type.h"
#include "rotation_typo.h"
#include "structure_look.h"
#include "text_run.h"
#include "typo_verdict.h"

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

// Whether the result shows any structure of a password's period: a class of
// positions unlike the others, as a wrong password of the right length
// leaves in every class.
bool PeriodicIn(const ContentPreview& preview) {
    const auto periodic = [&preview](std::uint64_t period) {
        return period > 0 &&
               KeyTraceStrength(preview.Result, static_cast<std::size_t>(period)).Strongest >
                   NoTraceBelow;
    };
    return periodic(preview.Password1Period) ||
           (preview.Level == Level::TopSecret && periodic(preview.Password2Period));
}

// The type to name in a question: the name's, else the format's.
QString Named(const PromisedType& promised, const StructureLook& look) {
    const QString named = promised.Description();
    return named.isEmpty() ? look.Description : named;
}

// The question when the result does not keep what the name promises, and
// the file as it is does (never encrypted), or the result is nothing at all;
// nullopt when the result keeps it or the name cannot tell. `seen`: what See
// made of the result.
std::optional<ContentVerdict> BrokenPromise(const ContentPreview& preview,
                                            const NamePromise& promise, const SeenContent& seen) {
    if (!promise.CanTell() || promise.KeptBy(preview, PreviewSide::Result, seen)) {
        return std::nullopt;
    }
    if (promise.KeptBy(preview, PreviewSide::Current, See(View(preview.Current)))) {
        return ContentVerdict{ContentConcern::AlreadyPlain, preview.Level, promise.Description()};
    }
    // A result of some other known type means a misnamed file (or a type
    // whose content rules miss many real files) rather than a wrong password,
    // and so does a result from which the key stream clearly came off: it
    // brought out written words, or it is much more orderly and shows no
    // structure of a password's period. No question then, unless a typo's
    // trace shows.
    const bool keyCameOff = BroughtOutText(preview.Result, preview.Current) ||
                            (MoreOrderly(preview.Result, preview.Current) && !PeriodicIn(preview));
    if (Recognised(seen) || keyCameOff) {
        return std::nullopt;
    }
    return TypoVerdict(preview, promise.Type(), &seen)
        .value_or(
            ContentVerdict{ContentConcern::ResultUnlikeType, preview.Level, promise.Description()});
}

ContentVerdict JudgeDecryption(const ContentPreview& preview) {
    const NamePromise promise(preview);
    const PromisedType& promised = promise.Type();
    // A format's own integrity data speaks first, whatever the name says: a
    // definite violation in the result questions it, an intact result in
    // which a typo would have shown fits.
    const StructureLook result = LookAtStructure(preview, PreviewSide::Result);
    if (!result.Intact) {
        // A file plainly of its format whose result is not: never encrypted.
        const StructureLook current = LookAtStructure(preview, PreviewSide::Current);
        if (current.Convincing) {
            return {ContentConcern::AlreadyPlain, preview.Level, current.Description};
        }
    }
    if (result.Broken) {
        ContentVerdict verdict =
            TypoVerdict(preview, promised)
                .value_or(ContentVerdict{ContentConcern::ResultUnlikeType, preview.Level, {}});
        verdict.TypeDescription = Named(promised, result);
        return verdict;
    }
    if (result.TypoRuledOut) {
        return {};
    }
    const SeenContent seen = See(View(preview.Result));
    if (const std::optional<ContentVerdict> broken = BrokenPromise(preview, promise, seen)) {
        return *broken;
    }
    // A typo keeps most of the content, and often the name's type with it.
    if (const std::optional<ContentVerdict> typo = TypoVerdict(preview, promised)) {
        return *typo;
    }
    // Unless it is in the password that steers a rotation, which moves it all.
    if (!result.Intact && !Recognised(seen)) {
        if (const std::optional<StructureLook> moved = FormatUnderTypoRotation(preview)) {
            return {ContentConcern::ResultUnlikeType, preview.Level, Named(promised, *moved)};
        }
    }
    return {};
}

ContentVerdict JudgeEncryption(const ContentPreview& preview) {
    // An intact file is what it is; one that these passwords would make
    // intact was encrypted with them.
    if (LookAtStructure(preview, PreviewSide::Current).Intact) {
        return {};
    }
    if (const StructureLook undone = LookAtStructure(preview, PreviewSide::Undone);
        undone.TypoRuledOut) {
        return {ContentConcern::EncryptedWithThese, preview.Level, undone.Description};
    }
    const std::optional<Level> marked = MarkedLevel(preview.FilePath);
    const NamePromise promise(preview);
    const bool tell = promise.CanTell();
    const SeenContent current = See(View(preview.Current));
    if (tell && promise.KeptBy(preview, PreviewSide::Current, current)) {
        return {};
    }
    const SeenContent undone = See(View(preview.Undone));
    // Undone brings out what the file is, where the file as it is shows
    // nothing: something recognisable, written words, or much more order.
    const bool broughtOut =
        !Recognised(current) &&
        (Recognised(undone) || BroughtOutText(preview.Undone, preview.Current) ||
         MoreOrderly(preview.Undone, preview.Current));
    const bool becomesType = tell && promise.KeptBy(preview, PreviewSide::Undone, undone);
    if (!preview.Undone.empty() && (becomesType || broughtOut)) {
        return {ContentConcern::EncryptedWithThese, preview.Level,
                becomesType ? promise.Description() : QString()};
    }
    // A marker of this very level, or of any level on a type that can be
    // told: the content should be something, and it is not.
    if (marked && (tell || *marked == preview.Level) && !Recognised(current)) {
        return {ContentConcern::AlreadyEncrypted, preview.Level,
                tell ? promise.Description() : QString()};
    }
    return {};
}

}  // namespace

ContentVerdict JudgeContent(const ContentPreview& preview) {
    return preview.Way == Direction::Decrypt ? JudgeDecryption(preview) : JudgeEncryption(preview);
}

bool ResultFits(const ContentPreview& preview) {
    const StructureLook result = LookAtStructure(preview, PreviewSide::Result);
    if (result.Broken) {
        return false;
    }
    if (result.TypoRuledOut && !LookAtStructure(preview, PreviewSide::Current).Intact) {
        return true;
    }
    const NamePromise promise(preview);
    return promise.CanTell() &&
           promise.KeptBy(preview, PreviewSide::Result, See(View(preview.Result))) &&
           !promise.KeptBy(preview, PreviewSide::Current, See(View(preview.Current))) &&
           !TypoVerdict(preview, promise.Type());
}

QString ConcernText(const ContentVerdict& verdict) {
    const QString type = AfterWord(verdict.TypeDescription);
    const QString level =
        QStringLiteral("按“") + LevelName(verdict.Level) + QStringLiteral("”等级");
    switch (verdict.Concern) {
        case ContentConcern::ResultUnlikeType:
            if (verdict.TypeDescription.isEmpty()) {
                return QStringLiteral("用这组密码") + level +
                       QStringLiteral("解密后，文件内容无从辨认，密码或加密等级可能不对。");
            }
            return QStringLiteral("用这组密码") + level + QStringLiteral("解密后，文件内容不像") +
                   type + QStringLiteral("，密码或加密等级可能不对。");
        case ContentConcern::AlreadyPlain:
            return QStringLiteral("文件内容已经是") + type +
                   QStringLiteral("，看来并没有加密，解密反而会把它弄乱。");
        case ContentConcern::AlreadyEncrypted:
            if (verdict.TypeDescription.isEmpty()) {
                return QStringLiteral("文件名中已有") + level +
                       QStringLiteral("标记，内容也无从辨认，看来已经加密过了。");
            }
            return QStringLiteral("文件名中已有加密等级标记，内容也不像") + type +
                   QStringLiteral("，看来已经加密过了。");
        case ContentConcern::EncryptedWithThese:
            if (verdict.TypeDescription.isEmpty()) {
                return QStringLiteral("文件内容无从辨认，用这组密码") + level +
                       QStringLiteral("解密后才能辨认，看来已经加密过了。");
            }
            return QStringLiteral("文件内容不像") + type + QStringLiteral("，用这组密码") + level +
                   QStringLiteral("解密后才像，看来已经加密过了。");
        case ContentConcern::KeyTypo: {
            const QString which = verdict.Password == 1   ? QStringLiteral("密码")
                                  : verdict.Password == 2 ? QStringLiteral("密码2")
                                                          : QStringLiteral("密码或密码2");
            return QStringLiteral("用这组密码") + level + QStringLiteral("解密后，文件内容每隔 ") +
                   QString::number(verdict.Period) +
                   QStringLiteral(" 个字节就有一个与众不同，像是") + which +
                   QStringLiteral("中有一个字符输错了。");
        }
        case ContentConcern::None:
            break;
    }
    return {};
}

QString ConcernQuestion(const ContentVerdict& verdict) {
    if (verdict.Concern == ContentConcern::None) {
        return {};
    }
    const bool encrypt = verdict.Concern == ContentConcern::AlreadyEncrypted ||
                         verdict.Concern == ContentConcern::EncryptedWithThese;
    return ConcernText(verdict) +
           (encrypt ? QStringLiteral("\r\n仍要加密吗？") : QStringLiteral("\r\n仍要解密吗？"));
}

}  // namespace quarnix
