#include "GivenProblems.h"

namespace pellarin {
namespace {

// One operand: one to three digits, no sign, no leading zero but "0" itself.
std::optional<int> Operand(std::u16string_view text, std::size_t& at) {
    const std::size_t start = at;
    int value = 0;
    while (at < text.size() && text[at] >= u'0' && text[at] <= u'9' && at - start < 3) {
        value = value * 10 + (text[at] - u'0');
        ++at;
    }
    if (at == start || (at - start > 1 && text[start] == u'0')) return std::nullopt;
    if (at < text.size() && text[at] >= u'0' && text[at] <= u'9') return std::nullopt;
    return value;
}

std::optional<Op> Sign(std::u16string_view text, std::size_t& at) {
    if (at >= text.size()) return std::nullopt;
    const char16_t c = text[at++];
    if (c == u'＋' || c == u'+') return Op::Add;
    if (c == u'－' || c == u'-') return Op::Sub;
    return std::nullopt;
}

}  // namespace

std::optional<Fact> ParseFact(std::u16string_view text) {
    std::size_t at = 0;
    const auto a = Operand(text, at);
    const auto op1 = a ? Sign(text, at) : std::nullopt;
    const auto b = op1 ? Operand(text, at) : std::nullopt;
    if (!b) return std::nullopt;
    auto ends = [&](std::size_t end) { return end + 1 == text.size() && (text[end] == u'=' || text[end] == u'＝'); };
    if (ends(at)) return TwoOperandProblem{*a, *op1, *b};
    const auto op2 = Sign(text, at);
    const auto c = op2 ? Operand(text, at) : std::nullopt;
    if (!c || !ends(at)) return std::nullopt;
    return ChainedProblem{*a, *op1, *b, *op2, *c};
}

}  // namespace pellarin
