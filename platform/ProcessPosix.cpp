#include <fcntl.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <sstream>

#include "Process.h"
#include "ProcessCommon.h"

namespace pellarin {
namespace {

std::string Machine() {
    char name[HOST_NAME_MAX + 1] = {};
    if (gethostname(name, sizeof name - 1) != 0) return "localhost";
    return name;
}

// When the process started, in clock ticks since boot (field 22 of /proc/PID/stat); 0 when
// there is no such process. The process may end while its file is read (ESRCH). The command's
// name (field 2) may hold spaces and brackets: the fields after it are counted from its last ')'.
std::uint64_t StartOf(std::uint64_t pid) {
    const int fd = open(("/proc/" + std::to_string(pid) + "/stat").c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    char buffer[1024];
    const ssize_t size = read(fd, buffer, sizeof buffer - 1);
    close(fd);
    if (size <= 0) return 0;
    const std::string stat(buffer, static_cast<std::size_t>(size));
    const auto name = stat.rfind(')');
    if (name == std::string::npos) return 0;
    std::istringstream fields(stat.substr(name + 1));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i) {
        if (i == 22) return std::strtoull(field.c_str(), nullptr, 10);
    }
    return 0;
}

}  // namespace

std::string ProcessClaim() {
    const auto pid = static_cast<std::uint64_t>(getpid());
    return process::Format({Machine(), pid, StartOf(pid)});
}

bool ClaimIsAlive(const std::string& text) {
    process::Claim claim;
    if (!process::Parse(text, claim)) return false;
    if (claim.machine != Machine()) return true;
    return claim.pid > 0 && StartOf(claim.pid) == claim.start && claim.start != 0;
}

}  // namespace pellarin
