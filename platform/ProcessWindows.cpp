#include <windows.h>

#include "Process.h"
#include "ProcessCommon.h"

namespace pellarin {
namespace {

std::string Machine() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(name, &size)) return "localhost";
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, name, static_cast<int>(size), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, name, static_cast<int>(size), utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}

// When the process started (its creation time, in 100 ns since 1601); 0 when it is not running.
std::uint64_t StartOf(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    return (static_cast<std::uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

}  // namespace

std::string ProcessClaim() {
    return process::Format({Machine(), GetCurrentProcessId(), StartOf(GetCurrentProcess())});
}

bool ClaimIsAlive(const std::string& text) {
    process::Claim claim;
    if (!process::Parse(text, claim)) return false;
    if (claim.machine != Machine()) return true;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(claim.pid));
    if (!process) return false;
    DWORD code = 0;
    const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    const std::uint64_t start = StartOf(process);
    CloseHandle(process);
    return running && start != 0 && start == claim.start;
}

}  // namespace pellarin
