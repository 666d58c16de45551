// Files on Linux and other POSIX systems.
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "CleanUpList.h"
#include "FilePlacement.h"

namespace pellarin {
namespace {

void RemoveAndEnd(int signal) {
    RemovePrivateFiles();
    // Ends as the signal would have ended it, so the caller sees the usual status.
    ::signal(signal, SIG_DFL);
    raise(signal);
}

}  // namespace

bool RemoveNativeFile(const char* path) { return unlink(path) == 0; }

void InstallInterruptCleanUp() {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction action {};
        struct sigaction previous {};
        sigaction(signal, nullptr, &previous);
        if (previous.sa_handler == SIG_IGN) continue;  // the caller meant the program to go on
        action.sa_handler = &RemoveAndEnd;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND;
        sigaction(signal, &action, nullptr);
    }
}

bool NameTaken(const std::string& path) {
    struct stat status;
    return lstat(path.c_str(), &status) == 0;
}

std::unique_ptr<PendingFile> PendingFile::Create(const std::string& target, int& error) {
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    if (name.empty()) {
        error = EISDIR;
        return nullptr;
    }
    // The limits of the file system the folder is on; a name near them gets a private name no
    // longer than itself.
    const char* probe = folder.empty() ? "." : folder.c_str();
    long maxName = pathconf(probe, _PC_NAME_MAX);
    if (maxName <= 0) maxName = NAME_MAX;
    std::string pattern = folder + PrivateNameFor(name, target.size(), static_cast<std::size_t>(maxName), PATH_MAX - 1);
    const int fd = mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        // A folder that is there but takes no new files (/proc) says "no such file" too.
        struct stat status;
        if (error == ENOENT && stat(probe, &status) == 0 && S_ISDIR(status.st_mode)) error = EINVAL;
        return nullptr;
    }
    std::unique_ptr<PendingFile> file(new PendingFile(pattern, target, fd));
    error = 0;
    return file;
}

PendingFile::PendingFile(std::string path, std::string target, std::intptr_t handle)
    : m_path(std::move(path)), m_target(std::move(target)), m_handle(handle), m_slot(RememberPrivateFile(m_path)) {}

PendingFile::~PendingFile() {
    if (m_handle >= 0) close(static_cast<int>(m_handle));
    if (!m_placed) unlink(m_path.c_str());
    ForgetPrivateFile(m_slot);
}

int PendingFile::Write(const void* data, std::size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = write(static_cast<int>(m_handle), bytes, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        bytes += n;
        size -= static_cast<std::size_t>(n);
        m_position += static_cast<std::uint64_t>(n);
    }
    return 0;
}

int PendingFile::Seek(std::uint64_t offset) {
    if (lseek(static_cast<int>(m_handle), static_cast<off_t>(offset), SEEK_SET) < 0) return errno;
    m_position = offset;
    return 0;
}

int PendingFile::Finish() {
    const int fd = static_cast<int>(m_handle);
    // A full disk may only show at this point, on file systems that allocate late.
    if (fsync(fd) != 0 && errno != EINVAL) return errno;
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    m_handle = -1;
    return close(fd) == 0 ? 0 : errno;
}

int PendingFile::PlaceWithoutReplacing() {
    const char* from = m_path.c_str();
    const char* to = m_target.c_str();
#ifdef RENAME_NOREPLACE
    if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) {
        Placed();
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS) return errno;
#endif
    // Without the flag (older kernels, some network shares): a hard link fails on an existing
    // name just the same.
    if (link(from, to) == 0) {
        unlink(from);
        Placed();
        return 0;
    }
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS && errno != EMLINK) return errno;
    // File systems with neither (FAT, exFAT): the final name is claimed by creating it, which
    // fails if anything has it, and the finished file then replaces the claimed, empty one. No
    // other writer can claim the name meanwhile; a reader may see it empty for that moment.
    const int claim = open(to, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (claim < 0) return errno;
    close(claim);
    if (rename(from, to) != 0) {
        const int error = errno;
        unlink(to);
        return error;
    }
    Placed();
    return 0;
}

int PendingFile::PlaceReplacing() {
    if (rename(m_path.c_str(), m_target.c_str()) != 0) return errno;
    Placed();
    return 0;
}

}  // namespace pellarin
