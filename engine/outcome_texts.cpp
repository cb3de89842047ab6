// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/outcome_texts.h"

#include <cerrno>
#include <cstring>

#include "engine/error_text.h"
#include "engine/text_codec.h"

namespace quarnix {
namespace {

CommandOutcome Make(OutcomeKind kind, std::u16string message, int password = 0) {
    CommandOutcome outcome;
    outcome.Kind = kind;
    outcome.Message = std::move(message);
    outcome.Password = password;
    return outcome;
}

std::u16string Quoted(std::u16string_view text) {
    return u"“" + std::u16string(text) + u"”";
}

std::u16string QuotedPath(const std::string& path) {
    return Quoted(Utf8ToUtf16(path));
}

std::u16string Number(std::uint64_t value) {
    return Utf8ToUtf16(std::to_string(value));
}

// The sentence that names the failed step.
std::u16string StepText(const WorkFailure& f, const FailureContext& context) {
    // Without a path of its own, a step concerns the command's file.
    const std::u16string path = f.Path.empty() ? Quoted(context.FilePath) : QuotedPath(f.Path);
    const std::u16string reason = ErrorText(f.Error);
    switch (f.Step) {
        case FailedStep::OpenFile:
            return u"无法打开文件" + path + u"：" + reason + u"。";
        case FailedStep::Unchangeable:
            return u"文件" + path + u"被设为不可修改或只能追加（chattr +i 或 +a），没有处理它。";
        case FailedStep::FileBusy:
            if (f.Error == 0) {
                return u"文件" + path +
                       u"正被另一个程序锁定（也许另一个 Quarnix 正在处理它），没有处理它。"
                       u"请等那边结束后再试。";
            }
            return u"无法锁定文件" + path + u"：" + reason + u"。";
        case FailedStep::ReadFile:
            return u"读取文件" + path + u"失败：" + reason + u"。";
        case FailedStep::FileChanged:
            return u"文件" + path + u"在处理期间被其他程序改动或替换。";
        case FailedStep::ResolvePath:
            return u"无法找到文件" + path + u"的实际位置：" + reason + u"。";
        case FailedStep::CreateBackup:
            return u"无法在文件夹" + path + u"中创建备份文件：" + reason + u"。";
        case FailedStep::CopyBackup:
            return u"复制备份文件" + path + u"失败：" + reason + u"。";
        case FailedStep::FlushBackup:
            return u"备份文件" + path + u"无法写入磁盘：" + reason + u"。";
        case FailedStep::NameBackup:
            return u"无法保存备份文件" + path + u"：" + reason + u"。";
        case FailedStep::CreateTemp:
            return u"无法在文件夹" + path + u"中创建临时文件：" + reason + u"。";
        case FailedStep::SetMode:
            return u"无法为临时文件设置文件" + path + u"的权限：" + reason + u"。";
        case FailedStep::WriteTemp:
            return u"写入临时文件失败（文件夹" + path + u"）：" + reason + u"。";
        case FailedStep::FlushTemp:
            return u"临时文件无法写入磁盘（文件夹" + path + u"）：" + reason + u"。";
        case FailedStep::ReplaceFile:
            return u"无法用新内容替换文件" + path + u"：" + reason + u"。";
        case FailedStep::FlushFolder:
            return u"无法确认文件夹" + path + u"的改动已写入磁盘：" + reason + u"。";
        case FailedStep::WriteFile:
            return u"写入文件" + path + u"失败：" + reason + u"。";
        case FailedStep::FlushFile:
            return u"文件" + path + u"无法写入磁盘：" + reason + u"。";
        case FailedStep::Rename: {
            const std::u16string lead =
                u"无法把文件" + path + u"改名为" + QuotedPath(f.OtherPath) + u"：";
            if (f.Kind == FailureKind::RenameTargetFolderMissing) {
                return lead + u"目标文件夹不存在。";
            }
            if (f.Kind == FailureKind::RenameTargetExists) {
                return lead + u"已有同名文件，没有覆盖它。";
            }
            return lead + reason + u"。";
        }
        case FailedStep::Cancelled:
            return u"已取消。";
        case FailedStep::FolderReadOnly:
            return u"文件所在的文件夹" + path + u"不允许在其中新建文件（" + reason +
                   u"）：改写文件前要先在它旁边保存一份恢复记录，完成后再删除。";
        case FailedStep::CreateRecord:
            return u"无法在文件夹" + path + u"中创建恢复记录：" + reason + u"。";
        case FailedStep::WriteRecord:
            return u"写入恢复记录失败（文件夹" + path + u"）：" + reason + u"。";
        case FailedStep::FlushRecord:
            return u"恢复记录无法写入磁盘（文件夹" + path + u"）：" + reason + u"。";
        case FailedStep::NameRecord:
            return u"无法保存恢复记录（文件夹" + path + u"）：" + reason + u"。";
        case FailedStep::ReadRecord:
            if (f.Error == EBADMSG) {
                return u"恢复记录" + path + u"已损坏，无法使用。";
            }
            return u"读取恢复记录" + path + u"失败：" + reason + u"。";
        case FailedStep::DropRecord:
            return u"无法删除恢复记录" + path + u"：" + reason + u"。";
        case FailedStep::BackupName:
            return u"备份文件名" + path + u"太长，文件夹不接受：" + reason + u"。";
        case FailedStep::LeaseRefused:
            return u"文件" + path +
                   u"正被其他程序打开（也许正在写入它），没有处理它。请关闭那个程序后再试。";
        case FailedStep::BackupExists:
            return u"备份文件" + path + u"已经存在，可能是以前唯一的一份备份，没有替换它。";
    }
    return reason;
}

std::u16string StateText(const WorkFailure& f, const FailureContext& context) {
    const std::u16string file = u"文件" + Quoted(context.FilePath);
    const bool encrypt = context.Way == Direction::Encrypt;
    switch (f.State) {
        case FileState::Untouched:
            return file + u"未改动。";
        case FileState::LeftToOtherProgram:
            return u"本次处理的结果已放弃，" + file + u"保持其他程序留下的样子。";
        case FileState::TransformedNotRenamed:
            return file +
                   (encrypt ? u"的内容已加密，但文件名未改。" : u"的内容已解密，但文件名未改。");
        case FileState::AwaitingSettle:
            return file + u"可能只写入了一部分。恢复记录" + QuotedPath(f.OtherPath) + u"保存着" +
                   (encrypt ? u"完成这次加密" : u"撤销这次解密") +
                   u"所需的数据（只有加密后的内容），下次用本程序处理该文件时会先按它" +
                   (encrypt ? u"完成加密" : u"把文件恢复完整") + u"，请不要删除它。";
        case FileState::TransformedMovedAway:
            return file + (encrypt ? u"的内容已加密，" : u"的内容已解密，") +
                   u"但它在处理期间被其他程序移走或替换，所以没有改名；"
                   u"请到它现在的位置查看。";
        case FileState::RecordLeft:
            return file + u"已处理完毕，但恢复记录" + QuotedPath(f.OtherPath) +
                   u"未能删除；它只含加密后的内容，下次用本程序处理该文件时会删除它。";
        case FileState::OldContentLeft:
            return file + (encrypt ? u"已加密" : u"已解密") + u"，但它原来的内容还留在隐藏文件" +
                   QuotedPath(f.OtherPath) + u"中，未能删除；确认文件无误后请删除它。";
        case FileState::TornRecordDamaged:
            return file + u"上次处理时被中断，可能只写入了一部分，而它留下的恢复记录" +
                   QuotedPath(f.OtherPath) +
                   u"已损坏，无法用来恢复。文件和恢复记录都没有改动；请用备份恢复该文件。";
    }
    return {};
}

}  // namespace

CommandOutcome EarlierWorkOutcome(const FailureContext& context) {
    return Make(
        OutcomeKind::EarlierWorkCompleted,
        u"本次没有再处理文件" + Quoted(context.FilePath) + u"。请先查看文件，需要时再重新操作。");
}

std::u16string SettledText(const std::vector<Leftover>& settled, const FailureContext& context) {
    const std::u16string file = u"文件" + Quoted(context.FilePath);
    std::u16string text;
    for (const Leftover& each : settled) {
        const std::u16string task = each.Way == Direction::Encrypt ? u"加密" : u"解密";
        switch (each.Kind) {
            case LeftoverKind::Completed:
                text += file + u"上次" + task + u"时被中断（例如断电或程序被终止）" +
                        (each.Torn ? u"，只写入了一部分" : u"") +
                        u"；已按它留下的恢复记录完成那次" + task;
                if (each.Renamed) {
                    text += u"，并把文件改名为" + QuotedPath(each.OtherPath);
                } else if (each.RenameError != 0) {
                    text += u"，但无法把文件改名为" + QuotedPath(each.OtherPath) + u"：" +
                            ErrorText(each.RenameError);
                }
                text += u"。\n";
                break;
            case LeftoverKind::RolledBack:
                text += file + u"上次" + task +
                        u"时被中断（例如断电或程序被终止），只写入了一部分；"
                        u"已按它留下的恢复记录把它恢复为" +
                        task + u"前的内容。\n";
                break;
            case LeftoverKind::RecordRemoved:
                text += u"已删除上次处理中断时留下的恢复记录" + QuotedPath(each.Path) +
                        u"（那次处理还没有改动文件）。\n";
                break;
            case LeftoverKind::RecordStale:
                text += u"文件旁有以前的处理留下的恢复记录" + QuotedPath(each.Path) +
                        u"，但它与该文件现在的内容不符（文件可能已被替换或改写），"
                        u"没有使用它，也没有删除它；确认不再需要后可以删除。\n";
                break;
            case LeftoverKind::RecordDamaged:
                text += u"文件旁的恢复记录" + QuotedPath(each.Path) +
                        u"已损坏，无法使用，没有删除它；确认不再需要后可以删除。\n";
                break;
            case LeftoverKind::TempRemoved:
                text += u"已删除上次处理中断时留下的临时文件" + QuotedPath(each.Path) + u"。\n";
                break;
        }
    }
    return text;
}

std::u16string UnwatchedText(const FailureContext& context) {
    return u"注意：系统不允许对文件" + Quoted(context.FilePath) +
           u"取得租约，所以无法得知是否有其他程序同时打开了它；只在写入前确认过它没有被改动。";
}

std::u16string ErrorText(int error) {
    return SystemReasonText(error);
}

CommandOutcome FixedOutcome(OutcomeKind kind) {
    switch (kind) {
        case OutcomeKind::FileMissing:
            return Make(kind, u"你指定的文件不存在！");
        case OutcomeKind::Password1Empty:
            return Make(kind, u"密码不能为空！", 1);
        case OutcomeKind::Password1Mismatch:
            return Make(kind, u"你两次输入的密码不一致，请重新输入！", 1);
        case OutcomeKind::Password2Empty:
            return Make(kind, u"密码2不能为空！", 2);
        case OutcomeKind::Password2Mismatch:
            return Make(kind, u"你两次输入的密码2不一致，请重新输入！", 2);
        case OutcomeKind::Cancelled:
        case OutcomeKind::ContentDeclined:
            return Make(kind, {});
        case OutcomeKind::Done:
            return Make(kind, u"操作成功！");
        default:
            break;
    }
    return Make(kind, u"内部错误：未知的结果。");
}

OutcomeKind OutcomeKindOf(FailureKind kind) {
    switch (kind) {
        case FailureKind::ReadFailed:
            return OutcomeKind::ReadFailed;
        case FailureKind::WriteFailed:
            return OutcomeKind::WriteFailed;
        case FailureKind::BackupFailed:
            return OutcomeKind::BackupFailed;
        case FailureKind::RenameFailed:
            return OutcomeKind::RenameFailed;
        case FailureKind::RenameTargetExists:
            return OutcomeKind::RenameTargetExists;
        case FailureKind::RenameTargetFolderMissing:
            return OutcomeKind::RenameTargetFolderMissing;
        case FailureKind::FileChanged:
            return OutcomeKind::FileChanged;
        case FailureKind::FileBusy:
            return OutcomeKind::FileBusy;
        case FailureKind::FileUnchangeable:
            return OutcomeKind::FileUnchangeable;
        case FailureKind::FileOpenElsewhere:
            return OutcomeKind::FileOpenElsewhere;
        case FailureKind::WorkCancelled:
            return OutcomeKind::WorkCancelled;
        case FailureKind::ContentDeclined:
            return OutcomeKind::ContentDeclined;
        case FailureKind::BackupExists:
            return OutcomeKind::BackupExists;
    }
    return OutcomeKind::ReadFailed;
}

CommandOutcome KeyFailureOutcome(const CipherKeyFailure& failure, std::u16string_view password) {
    const std::u16string name = failure.Password == 1 ? u"密码" : u"密码2";
    if (failure.Error.kind == KeyError::Kind::TooLong) {
        return Make(OutcomeKind::PasswordTooLong,
                    name + u"超过 32767 个字符，无法使用。文件未改动。", failure.Password);
    }
    // Show the whole character, also when it takes two UTF-16 code units.
    const std::size_t at = failure.Error.position;
    std::u16string character(1, failure.Error.character);
    const char16_t unit = failure.Error.character;
    if (unit >= 0xD800 && unit <= 0xDBFF && at + 1 < password.size()) {
        character.push_back(password[at + 1]);
    }
    if (unit >= 0xDC80 && unit <= 0xDCFF) {
        character = u"（无效的 UTF-8 字节）";
    }
    return Make(OutcomeKind::PasswordCharacterRefused,
                name + u"的第 " + Number(at + 1) + u" 个字符" + Quoted(character) +
                    u"不能用作密钥：密码只能由英文字母、数字、空格和英文标点符号"
                    u"（键盘上不切换到中文就能打出的字符）组成，另可用欧元符号 €。文件未改动。",
                failure.Password);
}

CommandOutcome BackupExistsOutcome(std::u16string_view backupPath) {
    return Make(OutcomeKind::BackupExists, u"备份文件" + Quoted(backupPath) +
                                               u"已经存在，可能是以前唯一的一份备份，没有替换它。"
                                               u"文件未改动。");
}

CommandOutcome WorkFailureOutcome(const WorkFailure& failure, const FailureContext& context) {
    if (failure.Kind == FailureKind::ContentDeclined) {
        return FixedOutcome(OutcomeKind::ContentDeclined);
    }
    if (failure.Kind == FailureKind::WorkCancelled) {
        std::u16string message = u"已取消。文件" + Quoted(context.FilePath) + u"未改动。";
        if (!context.BackupPath.empty()) {
            message += u"备份文件" + Quoted(context.BackupPath) + u"已完整保存。";
        }
        return Make(OutcomeKind::WorkCancelled, message);
    }
    std::u16string message = StepText(failure, context) + StateText(failure, context);
    if (!context.BackupPath.empty()) {
        message += u"备份文件" + Quoted(context.BackupPath) + u"已保存。";
    }
    return Make(OutcomeKindOf(failure.Kind), message);
}

}  // namespace quarnix
