// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/error_text.h"

#include <cerrno>
#include <string>

namespace quarnix {
namespace {

struct Reason {
    int Error;
    const char16_t* Text;
};

// The reasons a user of file work meets, and a few more that local, network
// and removable file systems give. EAGAIN is EWOULDBLOCK and EOPNOTSUPP is
// ENOTSUP on Linux.
constexpr Reason Reasons[] = {
    {EPERM, u"不允许这样操作"},
    {ENOENT, u"文件或文件夹不存在"},
    {EINTR, u"操作被中断"},
    {EIO, u"输入/输出错误（磁盘或设备可能有故障）"},
    {ENXIO, u"设备不存在或未连接"},
    {E2BIG, u"参数或数据太长"},
    {EBADF, u"文件描述符无效"},
    {EAGAIN, u"资源暂时不可用，请稍后再试"},
    {ENOMEM, u"内存不足"},
    {EACCES, u"没有权限"},
    {EBUSY, u"设备或资源正忙"},
    {EEXIST, u"已有同名的文件或文件夹"},
    {EXDEV, u"不在同一个文件系统上"},
    {ENODEV, u"设备不存在"},
    {ENOTDIR, u"路径中有一部分不是文件夹"},
    {EISDIR, u"这是一个文件夹"},
    {EINVAL, u"参数无效"},
    {ENFILE, u"系统中打开的文件太多"},
    {EMFILE, u"本程序打开的文件太多"},
    {ETXTBSY, u"文件正作为程序运行，不能写入"},
    {EFBIG, u"文件太大"},
    {ENOSPC, u"磁盘空间不足"},
    {ESPIPE, u"无法在其中定位（不是普通文件）"},
    {EROFS, u"文件系统是只读的"},
    {EMLINK, u"链接数太多"},
    {EPIPE, u"管道已断开"},
    {ERANGE, u"结果超出范围"},
    {EDEADLK, u"会造成死锁，已避免"},
    {ENAMETOOLONG, u"文件名太长"},
    {ENOLCK, u"没有可用的锁"},
    {ENOSYS, u"系统不支持此功能"},
    {ENOTEMPTY, u"文件夹不是空的"},
    {ELOOP, u"符号链接的层数太多"},
    {ENODATA, u"没有可用的数据"},
    {EOVERFLOW, u"数值太大，超出了可处理的范围"},
    {EILSEQ, u"无效的多字节字符"},
    {EOPNOTSUPP, u"文件系统不支持此操作"},
    {ENOTCONN, u"连接已断开"},
    {ETIMEDOUT, u"操作超时"},
    {ESTALE, u"文件句柄已失效（网络文件系统上的文件可能已被改动）"},
    {EUCLEAN, u"文件系统结构已损坏，需要修复"},
    {EREMOTEIO, u"远程输入/输出错误"},
    {EDQUOT, u"超出磁盘配额"},
    {ENOMEDIUM, u"设备中没有介质"},
    {ECANCELED, u"操作已取消"},
};

}  // namespace

std::u16string SystemReasonText(int error) {
    for (const Reason& reason : Reasons) {
        if (reason.Error == error) {
            return reason.Text;
        }
    }
    std::u16string number;
    for (const char digit : std::to_string(error)) {
        number.push_back(static_cast<char16_t>(digit));
    }
    return u"未知的系统错误（错误号 " + number + u"）";
}

}  // namespace quarnix
