#include "FilePlacement.h"

#include <cerrno>

namespace pellarin {

std::string PrivateNameFor(const std::string& name, std::size_t pathLength, std::size_t maxName,
                           std::size_t maxPath) {
    const std::string suffix = ".XXXXXX";
    if (name.size() + 1 + suffix.size() <= maxName && pathLength + 1 + suffix.size() <= maxPath) {
        return "." + name + suffix;
    }
    // Near a limit: as long as the final name, keeping as much of it as there is room for and
    // never half of a UTF-8 character.
    if (name.size() < 1 + suffix.size()) return suffix.substr(1);
    std::size_t keep = name.size() - 1 - suffix.size();
    while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) --keep;
    return "." + name.substr(0, keep) + suffix;
}

std::string DescribeFileError(int error) {
    switch (error) {
        case EEXIST: return "已经有同名的文件或文件夹";
        case ENOENT: return "文件夹不存在";
        case ENOTDIR: return "路径中有一项不是文件夹";
        case EISDIR: return "这是一个文件夹";
        case EACCES:
        case EPERM: return "没有在这里写文件的权限";
        case EROFS: return "磁盘是只读的";
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
            return "磁盘已满";
        case EFBIG: return "文件太大";
        case ENAMETOOLONG: return "文件名太长";
        case EMFILE:
        case ENFILE: return "同时打开的文件太多";
        case EIO: return "磁盘读写出错";
        case EXDEV:
        case EOPNOTSUPP:
        case EINVAL: return "这个位置不能保存普通文件";
        case ENOMEM: return "内存不足";
        case EBUSY: return "文件正被别的程序使用";
        default: return "写文件时出错（错误码 " + std::to_string(error) + "）";
    }
}

}  // namespace pellarin
