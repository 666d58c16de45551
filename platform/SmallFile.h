#pragma once

#include <cstddef>
#include <string>

// A small file read whole, such as a class list. Only a regular file is read: a FIFO, a device
// (/dev/zero) or a folder chosen by mistake is refused at once, without blocking and without
// reading it for ever. One implementation per system.
namespace pellarin {

enum class SmallFileProblem {
    None,
    Missing,     // no such file
    Folder,      // a folder, not a file
    NotRegular,  // a pipe, a device, a socket
    TooBig,      // larger than the limit
    NoPermission,
    Unreadable,  // the system could not read it
};

// The bytes of the file at `path` (as the system names it: bytes on Linux, UTF-8 on Windows),
// at most `limit` of them.
SmallFileProblem ReadSmallFile(const std::string& path, std::size_t limit, std::string& bytes);

// What went wrong, in the user's words (without the file's name).
const char* DescribeSmallFileProblem(SmallFileProblem problem);

// The largest class list taken: far more than any school's.
inline constexpr std::size_t kClassListLimit = 16u << 20;

}  // namespace pellarin
