#include <windows.h>

#include "SmallFile.h"

namespace pellarin {

SmallFileProblem ReadSmallFile(const std::string& path, std::size_t limit, std::string& bytes) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 1), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, wide.data(), n);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return SmallFileProblem::Folder;
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        switch (GetLastError()) {
        case ERROR_FILE_NOT_FOUND: case ERROR_PATH_NOT_FOUND: case ERROR_INVALID_NAME: return SmallFileProblem::Missing;
        case ERROR_ACCESS_DENIED: return SmallFileProblem::NoPermission;
        default: return SmallFileProblem::Unreadable;
        }
    }
    // A named pipe or a console (CON) is not a file on a disk.
    SmallFileProblem problem = GetFileType(file) == FILE_TYPE_DISK ? SmallFileProblem::None : SmallFileProblem::NotRegular;
    LARGE_INTEGER size{};
    if (problem == SmallFileProblem::None && GetFileSizeEx(file, &size) && static_cast<unsigned long long>(size.QuadPart) > limit) {
        problem = SmallFileProblem::TooBig;
    }
    std::string read;
    char chunk[65536];
    while (problem == SmallFileProblem::None) {
        DWORD got = 0;
        if (!ReadFile(file, chunk, sizeof chunk, &got, nullptr)) problem = SmallFileProblem::Unreadable;
        else if (got == 0) break;
        else if (read.size() + got > limit) problem = SmallFileProblem::TooBig;
        else read.append(chunk, got);
    }
    CloseHandle(file);
    if (problem == SmallFileProblem::None) bytes = std::move(read);
    return problem;
}

}  // namespace pellarin
