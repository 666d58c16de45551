#include <unistd.h>

#include <climits>
#include <fstream>
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
// there is no such process. The command's name (field 2) may hold spaces and brackets: the
// fields after it are counted from its last ')'.
std::uint64_t StartOf(std::uint64_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), {});
    const auto name = stat.rfind(')');
    if (name == std::string::npos) return 0;
    std::istringstream fields(stat.substr(name + 1));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i) {
        if (i == 22) return std::stoull(field);
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
