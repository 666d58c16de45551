#pragma once

#include <cstdint>
#include <string>

// The parts of a claim, shared by the implementations of each system.
namespace pellarin::process {

struct Claim {
    std::string machine;
    std::uint64_t pid = 0;
    std::uint64_t start = 0;
};

inline std::string Format(const Claim& claim) {
    return claim.machine + '\t' + std::to_string(claim.pid) + '\t' + std::to_string(claim.start);
}

// False for a text that is not a claim (a damaged row): such a claim holds nothing.
inline bool Parse(const std::string& text, Claim& claim) {
    const auto first = text.find('\t');
    const auto second = first == std::string::npos ? first : text.find('\t', first + 1);
    if (second == std::string::npos) return false;
    try {
        std::size_t used = 0;
        // A claim may go on with a further field of its holder's own (which connection).
        const auto third = text.find('\t', second + 1);
        const std::string pid = text.substr(first + 1, second - first - 1),
                          start = text.substr(second + 1, third == std::string::npos ? third : third - second - 1);
        claim.pid = std::stoull(pid, &used);
        if (used != pid.size()) return false;
        claim.start = std::stoull(start, &used);
        if (used != start.size()) return false;
    } catch (const std::exception&) {
        return false;
    }
    claim.machine = text.substr(0, first);
    return true;
}

}  // namespace pellarin::process
