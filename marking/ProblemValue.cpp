#include "ProblemValue.h"

namespace marking {

std::optional<int> WritableResult(std::string_view problem) {
    constexpr std::string_view kPlus = "\xEF\xBC\x8B", kMinus = "\xEF\xBC\x8D";  // ＋ －
    long long value = 0;
    int terms = 0, sign = 1;
    std::size_t i = 0;
    while (true) {
        std::size_t digits = 0;
        long long operand = 0;
        for (; i < problem.size() && problem[i] >= '0' && problem[i] <= '9' && digits < 9; ++i, ++digits) {
            operand = operand * 10 + (problem[i] - '0');
        }
        if (digits == 0 || (i < problem.size() && problem[i] >= '0' && problem[i] <= '9')) return std::nullopt;
        value += sign * operand;
        ++terms;
        const std::string_view rest = problem.substr(i);
        if (rest == "=") break;
        if (terms == 3) return std::nullopt;
        if (rest.starts_with('+') || rest.starts_with('-')) {
            sign = rest[0] == '+' ? 1 : -1;
            i += 1;
        } else if (rest.starts_with(kPlus) || rest.starts_with(kMinus)) {
            sign = rest.starts_with(kPlus) ? 1 : -1;
            i += kPlus.size();
        } else {
            return std::nullopt;
        }
    }
    if (terms < 2 || value < 0 || value > 999) return std::nullopt;
    return static_cast<int>(value);
}

}  // namespace marking
