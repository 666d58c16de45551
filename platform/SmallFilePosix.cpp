#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "SmallFile.h"

namespace pellarin {

SmallFileProblem ReadSmallFile(const std::string& path, std::size_t limit, std::string& bytes) {
    // O_NONBLOCK: opening a FIFO for reading would wait for a writer.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        switch (errno) {
        case ENOENT: case ENOTDIR: return SmallFileProblem::Missing;
        case EACCES: case EPERM: return SmallFileProblem::NoPermission;
        case EISDIR: return SmallFileProblem::Folder;
        default: return SmallFileProblem::Unreadable;
        }
    }
    struct stat info {};
    SmallFileProblem problem = SmallFileProblem::None;
    if (fstat(fd, &info) != 0) problem = SmallFileProblem::Unreadable;
    else if (S_ISDIR(info.st_mode)) problem = SmallFileProblem::Folder;
    else if (!S_ISREG(info.st_mode)) problem = SmallFileProblem::NotRegular;
    else if (static_cast<std::size_t>(info.st_size) > limit) problem = SmallFileProblem::TooBig;
    // A file that grows while it is read is still cut off at the limit.
    std::string read;
    char chunk[65536];
    while (problem == SmallFileProblem::None) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) problem = SmallFileProblem::Unreadable;
        else if (n == 0) break;
        else if (read.size() + static_cast<std::size_t>(n) > limit) problem = SmallFileProblem::TooBig;
        else read.append(chunk, static_cast<std::size_t>(n));
    }
    close(fd);
    if (problem == SmallFileProblem::None) bytes = std::move(read);
    return problem;
}

}  // namespace pellarin
