#include "FilePlacement.h"

#include <algorithm>
#include <cerrno>

#include "CleanUpList.h"

namespace pellarin {

namespace {

// The one rule for private names, for either kind of string. `continues` says whether a unit
// continues the character before it (a UTF-8 continuation byte, a low surrogate).
template <class String, class Continues>
String PrivateName(const String& name, std::size_t pathLength, std::size_t maxName, std::size_t maxPath,
                   Continues continues) {
    using Char = typename String::value_type;
    const String suffix = {Char('.'), Char('X'), Char('X'), Char('X'), Char('X'), Char('X'), Char('X')};
    const String dot(1, Char('.'));
    if (name.size() + 1 + suffix.size() <= maxName && pathLength + 1 + suffix.size() <= maxPath) {
        return dot + name + suffix;
    }
    // Near a limit: as long as the final name, keeping as much of it as there is room for.
    if (name.size() < 1 + suffix.size()) return suffix.substr(1);
    std::size_t keep = name.size() - 1 - suffix.size();
    while (keep > 0 && continues(name[keep])) --keep;
    return dot + name.substr(0, keep) + suffix;
}

CleanUpList g_ownList;
std::atomic<CleanUpList*> g_list{&g_ownList};

}  // namespace

std::string PrivateNameFor(const std::string& name, std::size_t pathLength, std::size_t maxName,
                           std::size_t maxPath) {
    return PrivateName(name, pathLength, maxName, maxPath,
                       [](char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; });
}

std::wstring PrivateNameFor(const std::wstring& name, std::size_t pathLength, std::size_t maxName,
                            std::size_t maxPath) {
    return PrivateName(name, pathLength, maxName, maxPath,
                       [](wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; });
}

CleanUpList* ThisProgramsCleanUpList() { return g_list.load(); }

void UseCleanUpList(CleanUpList* list) {
    if (list) g_list.store(list);
}

int RememberPrivateFile(const NativeString& path) {
    if (path.size() >= CleanUpList::kPathRoom) return -1;
    CleanUpList& list = *g_list.load();
    for (int i = 0; i < CleanUpList::kSlots; ++i) {
        CleanUpList::Slot& slot = list.slots[i];
        int expected = CleanUpList::Free;
        if (!slot.state.compare_exchange_strong(expected, CleanUpList::Filling)) continue;
        std::copy(path.c_str(), path.c_str() + path.size() + 1, slot.path);
        slot.state.store(CleanUpList::InUse);
        return i;
    }
    return -1;
}

void ForgetPrivateFile(int slot) {
    if (slot >= 0) g_list.load()->slots[slot].state.store(CleanUpList::Free);
}

void PendingFile::Placed() {
    m_placed = true;
    ForgetPrivateFile(m_slot);
    m_slot = -1;
}

int RemovePrivateFiles() {
    int removed = 0;
    for (CleanUpList::Slot& slot : g_list.load()->slots) {
        if (slot.state.load() == CleanUpList::InUse && RemoveNativeFile(slot.path)) ++removed;
    }
    return removed;
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
