// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The look at a file's content before a command changes it: does the result
// keep the promise of the file's name, and if not, what to tell the user.
//
// The look is conservative: it speaks when the name's type can be told from
// the content (see PromisedType) and the content says clearly that something
// is wrong, when a password's trace shows in a decryption's result, and when
// an encryption would undo an earlier one; otherwise the command runs as it
// always has.

#include <QString>

#include "engine/commands.h"

namespace quarnix {

enum class ContentConcern {
    None,
    // Decrypt: the result would be nothing like the name's type, though the
    // file is not of that type either: a wrong password or level.
    ResultUnlikeType,
    // Decrypt: the file already is of its name's type, and the result would
    // not be: the file looks unencrypted.
    AlreadyPlain,
    // Encrypt: the name carries a level marker and the content is nothing
    // recognisable: the file looks encrypted already.
    AlreadyEncrypted,
    // Encrypt: a decryption with these passwords at this level would give
    // the name's type, or something recognisable where the content is not:
    // the file looks encrypted with them already, and this run would undo or
    // double that.
    EncryptedWithThese,
    // Decrypt: one class of positions, one in each period of a password's key
    // array, stands out from the others: one character of that password is
    // probably mistyped.
    KeyTypo,
};

struct ContentVerdict {
    ContentConcern Concern = ContentConcern::None;
    quarnix::Level Level = quarnix::Level::Secret;  // the command's level
    QString TypeDescription;                        // e.g. "PDF 文档"; may be empty
    int Password = 1;  // KeyTypo: which password, 1 or 2; 0 when it may be either
    int Period = 0;    // KeyTypo: that password's length + 1
};

ContentVerdict JudgeContent(const ContentPreview& preview);

// Decrypt: whether the result is clearly what the name promises, with no
// typo's trace in it: the level and passwords fit the file. False when the
// name's type cannot be told from the preview.
bool ResultFits(const ContentPreview& preview);

// The warning, without a question, e.g. "用这组密码按“秘密”等级解密后，文件内容
// 不像 PDF 文档，密码或加密等级可能不对。"; empty for ContentConcern::None.
QString ConcernText(const ContentVerdict& verdict);

// The warning, a line break ("\r\n") and whether to go on anyway.
QString ConcernQuestion(const ContentVerdict& verdict);

// The title of the question in the window.
inline constexpr char16_t ConcernTitle[] = u"友情提示";

}  // namespace quarnix
