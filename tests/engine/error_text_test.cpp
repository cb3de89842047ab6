// SPDX-License-Identifier: GPL-3.0-or-later
// The reasons of the system in Chinese: the ones a user meets read as
// written, and no errno value ever gives an English reason.

#include <gtest/gtest.h>

#include <cerrno>
#include <set>

#include "engine/error_text.h"
#include "engine/outcome_texts.h"
#include "engine/text_codec.h"

namespace quarnix {
namespace {

TEST(SystemReasonText, IsChineseForEveryErrorNumber) {
    const struct {
        int error;
        const char16_t* text;
    } common[] = {
        {ENOSPC, u"磁盘空间不足"},
        {EACCES, u"没有权限"},
        {EPERM, u"不允许这样操作"},
        {EROFS, u"文件系统是只读的"},
        {ENAMETOOLONG, u"文件名太长"},
        {EISDIR, u"这是一个文件夹"},
        {EEXIST, u"已有同名的文件或文件夹"},
        {EXDEV, u"不在同一个文件系统上"},
        {EIO, u"输入/输出错误（磁盘或设备可能有故障）"},
        {EDQUOT, u"超出磁盘配额"},
        {EBUSY, u"设备或资源正忙"},
        {ENOENT, u"文件或文件夹不存在"},
        {EMLINK, u"链接数太多"},
        {ENOTDIR, u"路径中有一部分不是文件夹"},
        {ETXTBSY, u"文件正作为程序运行，不能写入"},
        {ENOTSUP, u"文件系统不支持此操作"},
        {EFBIG, u"文件太大"},
        {EWOULDBLOCK, u"资源暂时不可用，请稍后再试"},
        {41, u"未知的系统错误（错误号 41）"},  // no errno of Linux
        {-3, u"未知的系统错误（错误号 -3）"},
    };
    for (const auto& row : common) {
        EXPECT_EQ(Utf16ToUtf8(SystemReasonText(row.error)), Utf16ToUtf8(row.text)) << row.error;
        // The messages of the commands take the same text.
        EXPECT_EQ(ErrorText(row.error), row.text) << row.error;
    }
    // Every value, known or not: no Latin letter, and no two values alike.
    std::set<std::u16string> seen;
    for (int error = 0; error <= 200; ++error) {
        const std::u16string text = SystemReasonText(error);
        for (const char16_t c : text) {
            EXPECT_FALSE((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'))
                << error << ": " << Utf16ToUtf8(text);
        }
        EXPECT_TRUE(seen.insert(text).second) << error << ": " << Utf16ToUtf8(text);
    }
}

}  // namespace
}  // namespace quarnix
