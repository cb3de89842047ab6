// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The fixed texts of the main window: captions that follow the task, the file
// chooser's titles and filter, the messages of the checks made on leaving a
// password box, and the texts of the progress dialog.

#include <QString>

namespace quarnix::texts {

// Captions of the four controls that follow the task.
struct TaskCaptions {
    const char16_t* LblFileName;
    const char16_t* LblLevel;
    const char16_t* ChkBak;
    const char16_t* ChkMarkFile;
};

inline constexpr TaskCaptions EncryptCaptions{u"要加密的文件", u"加密等级", u"先备份再加密(.备份)",
                                              u"文件名中标注加密等级"};
inline constexpr TaskCaptions DecryptCaptions{u"要解密的文件", u"加密时等级", u"先备份再解密(.BAK)",
                                              u"文件名中去掉加密等级"};

// Fixed captions.
inline constexpr char16_t Frame1[] = u"选择任务";
inline constexpr char16_t OptEncryptTask[] = u"加密";
inline constexpr char16_t OptDecryptTask[] = u"解密";
inline constexpr char16_t CmdOpenFile[] = u"浏览(&B)...";
inline constexpr char16_t OptSecret[] = u"秘密(低)";
inline constexpr char16_t OptSecretter[] = u"机密(中)";
inline constexpr char16_t OptTopSecret[] = u"绝密(高)";
inline constexpr char16_t Label11[] = u"密码";
inline constexpr char16_t Label12[] = u"密码确认";
inline constexpr char16_t LblPass3[] = u"密码2";
inline constexpr char16_t LblPass4[] = u"密码2确认";
inline constexpr char16_t Frame2[] = u"选项";
inline constexpr char16_t CmdEncrypt[] = u"加密";
inline constexpr char16_t CmdQuit[] = u"退出";
inline constexpr char16_t CmdDecrypt[] = u"解密";

// Asked when a file already stands under the backup's name, with No the
// default: "“" + the backup's path + ReplaceBackupQuestion.
inline constexpr char16_t ReplaceBackupQuestion[] =
    u"”已经存在，可能是以前唯一的一份备份。\r\n要用现在的文件替换它吗？";
inline constexpr char16_t ReplaceBackupTitle[] = u"友情提示";

// The file chooser.
inline constexpr char16_t OpenTitleEncrypt[] = u"选择要加密的文件";
inline constexpr char16_t OpenTitleDecrypt[] = u"选择要解密的文件";
inline constexpr char16_t OpenFilter[] =
    u"所有文件(*.*)|*.*|Word文档(*.doc)|*.doc|Excel工作簿(*.xls)|*.xls|AutoCAD文件(*.dwg)|*.dwg|"
    u"WinRAR文件(*.rar)|*.rar|CorelDRAW文件(*.cdr)|*.cdr";
inline constexpr char16_t NoFileChosen[] = u"文件不存在！";

// Titles shared by the checks and the file chooser.
inline constexpr char16_t ErrorTitle[] = u"错误";
inline constexpr char16_t WarningTitle[] = u"警告";

// The check on leaving the box of password 1 (password 2's advice is the engine's).
inline constexpr char16_t Password1Empty[] = u"密码不能为空！";

// The question the decrypt command asks before anything else.
inline constexpr char16_t DecryptConfirmationTitle[] = u"友情提示";
inline constexpr char16_t DecryptConfirmationText[] =
    u"请确保您所选文件、加密等级及密码均正确无误，否则，会导致解密失败。【推荐您选中备份功能】"
    u"\r\n你确实要执行解密吗？";

// The progress dialog of long work: what the work does now, and its button.
inline constexpr char16_t ProgressBackup[] = u"正在备份…";
inline constexpr char16_t ProgressEncrypt[] = u"正在加密…";
inline constexpr char16_t ProgressDecrypt[] = u"正在解密…";
inline constexpr char16_t ProgressFlush[] = u"正在写入磁盘…";
inline constexpr char16_t ProgressCancelling[] = u"正在取消…";
// Once the work can no longer be dropped, instead of the phase; "取消" is disabled.
inline constexpr char16_t ProgressCompleting[] = u"正在完成，已不能取消…";
inline constexpr char16_t ProgressCancel[] = u"取消";

// Closing the window while a command's file work can still be dropped.
inline constexpr char16_t CloseDuringWork[] =
    u"文件正在处理中。要停止处理并退出吗？停止后文件保持原样。";
inline constexpr char16_t CloseDuringWorkTitle[] = u"友情提示";

// Drops onto the window that choose nothing, and why.
inline constexpr char16_t DropFolder[] = u"拖入的是文件夹。请拖入一个文件。";
inline constexpr char16_t DropSeveral[] = u"一次只能拖入一个文件。";
inline constexpr char16_t DropNotLocalFile[] = u"拖入的不是本机上的文件。请拖入一个文件。";

inline QString Q(const char16_t* text) {
    return QString::fromUtf16(text);
}

}  // namespace quarnix::texts
