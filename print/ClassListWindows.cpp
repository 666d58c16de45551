#include <windows.h>

#include "ClassList.h"

namespace class_list {

bool DecodeGb18030(const QByteArray& bytes, QString& text) {
    // GB18030 where the system has it (every Windows does); otherwise its GBK part, code page
    // 936, which is what Notepad saves as "ANSI" on a Chinese Windows and holds every name in
    // common use.
    const UINT kGb18030 = IsValidCodePage(54936) ? 54936 : 936;
    if (bytes.isEmpty()) {
        text.clear();
        return true;
    }
    const int n = MultiByteToWideChar(kGb18030, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                                      nullptr, 0);
    if (n <= 0) return false;  // not GB18030
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(kGb18030, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), wide.data(), n);
    text = QString::fromWCharArray(wide.data(), n);
    return true;
}

}  // namespace class_list
