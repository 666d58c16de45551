// Files on Windows: wide-character names throughout, so that Chinese names work whatever the
// system's code page.
#include <windows.h>

#include <cerrno>
#include <random>

#include "CleanUpList.h"
#include "FilePlacement.h"

namespace pellarin {
namespace {

std::wstring Wide(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    return wide;
}

std::string Utf8(const std::wstring& wide) {
    if (wide.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), n, nullptr, nullptr);
    return utf8;
}

// The system's reasons in the errno values the table of messages knows.
int ErrnoOf(DWORD error) {
    switch (error) {
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS: return EEXIST;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH: return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_NETWORK_ACCESS_DENIED: return EACCES;
        case ERROR_WRITE_PROTECT: return EROFS;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: return ENOSPC;
        case ERROR_FILENAME_EXCED_RANGE:
        case ERROR_BUFFER_OVERFLOW: return ENAMETOOLONG;
        case ERROR_DIRECTORY: return ENOTDIR;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION: return EBUSY;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY: return ENOMEM;
        case ERROR_TOO_MANY_OPEN_FILES: return EMFILE;
        case ERROR_NOT_SAME_DEVICE: return EXDEV;
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_INVALID_PARAMETER: return EINVAL;
        default: return EIO;
    }
}

int LastErrno() { return ErrnoOf(GetLastError()); }

BOOL WINAPI RemoveOnInterrupt(DWORD) {
    // The handler runs on a thread of its own while the writer goes on; the writer's handle
    // lets others delete the file (FILE_SHARE_DELETE), so it goes when the program ends.
    RemovePrivateFiles();
    return FALSE;  // the default handler ends the program, as it would have
}

HANDLE HandleOf(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

bool RemoveNativeFile(const wchar_t* path) { return DeleteFileW(path) != 0; }

void InstallInterruptCleanUp() { SetConsoleCtrlHandler(&RemoveOnInterrupt, TRUE); }

bool NameTaken(const std::string& path) { return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

std::unique_ptr<PendingFile> PendingFile::Create(const std::string& target, int& error) {
    const std::wstring wide = Wide(target);
    const std::size_t slash = wide.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? std::wstring() : wide.substr(0, slash + 1);
    const std::wstring name = slash == std::wstring::npos ? wide : wide.substr(slash + 1);
    if (name.empty()) {
        error = EISDIR;
        return nullptr;
    }
    // Counted in UTF-16 units, the limits being 255 a name and MAX_PATH a path.
    const std::wstring pattern = folder + PrivateNameFor(name, wide.size(), 255, MAX_PATH - 1);
    static std::mt19937 random{std::random_device{}()};
    static const wchar_t kLetters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::wstring path = pattern;
        for (std::size_t i = path.size() - 6; i < path.size(); ++i) {
            path[i] = kLetters[std::uniform_int_distribution<int>(0, 61)(random)];
        }
        const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_HIDDEN, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            error = 0;
            return std::unique_ptr<PendingFile>(
                new PendingFile(Utf8(path), target, reinterpret_cast<std::intptr_t>(handle)));
        }
        if (GetLastError() != ERROR_FILE_EXISTS) break;
    }
    error = LastErrno();
    return nullptr;
}

PendingFile::PendingFile(std::string path, std::string target, std::intptr_t handle)
    : m_path(std::move(path)), m_target(std::move(target)), m_handle(handle), m_slot(RememberPrivateFile(Wide(m_path))) {}

PendingFile::~PendingFile() {
    if (m_handle != -1) CloseHandle(HandleOf(m_handle));
    if (!m_placed) DeleteFileW(Wide(m_path).c_str());
    ForgetPrivateFile(m_slot);
}

int PendingFile::Write(const void* data, std::size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(HandleOf(m_handle), bytes, chunk, &written, nullptr)) return LastErrno();
        bytes += written;
        size -= written;
        m_position += written;
    }
    return 0;
}

int PendingFile::Seek(std::uint64_t offset) {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(HandleOf(m_handle), to, nullptr, FILE_BEGIN)) return LastErrno();
    m_position = offset;
    return 0;
}

int PendingFile::Finish() {
    const HANDLE handle = HandleOf(m_handle);
    const bool flushed = FlushFileBuffers(handle);
    const int error = flushed ? 0 : LastErrno();
    CloseHandle(handle);
    m_handle = -1;
    // The private file was hidden; the document is not.
    SetFileAttributesW(Wide(m_path).c_str(), FILE_ATTRIBUTE_NORMAL);
    return error;
}

int PendingFile::PlaceWithoutReplacing() {
    // Without MOVEFILE_REPLACE_EXISTING the move fails on any existing name, atomically.
    if (!MoveFileExW(Wide(m_path).c_str(), Wide(m_target).c_str(), MOVEFILE_WRITE_THROUGH)) return LastErrno();
    Placed();
    return 0;
}

int PendingFile::PlaceReplacing() {
    if (!MoveFileExW(Wide(m_path).c_str(), Wide(m_target).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return LastErrno();
    }
    Placed();
    return 0;
}

}  // namespace pellarin
