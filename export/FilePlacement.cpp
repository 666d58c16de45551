#include "FilePlacement.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace pellarin {

int MoveIntoPlaceWithoutReplacing(const std::string& from, const std::string& to) {
#ifdef RENAME_NOREPLACE
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
#endif
    // Filesystems without the flag: a hard link fails on an existing name just the same.
    if (link(from.c_str(), to.c_str()) != 0) return errno;
    unlink(from.c_str());
    return 0;
}

int MoveIntoPlaceReplacing(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

void GiveUsualPermissions(const std::string& path) {
    const mode_t mask = umask(0);
    umask(mask);
    chmod(path.c_str(), 0666 & ~mask);
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
        case EDQUOT: return "磁盘已满";
        case EFBIG: return "文件太大";
        case ENAMETOOLONG: return "文件名太长";
        case EMFILE:
        case ENFILE: return "同时打开的文件太多";
        case EIO: return "磁盘读写出错";
        case EXDEV:
        case EOPNOTSUPP:
        case EINVAL: return "这个位置不能保存普通文件";
        case ENOMEM: return "内存不足";
        default: return "写文件时出错（错误码 " + std::to_string(error) + "）";
    }
}

}  // namespace pellarin
