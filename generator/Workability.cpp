#include "Workability.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <string>

#include "ProblemRules.h"
#include "SheetLayout.h"

namespace pellarin {
namespace {

// Counting enumerates every draw, so it is done only up to this limit. The rules bound the
// operands and results from above by the limit and from below by constants, so whatever
// they admit at one limit they admit at every larger one: a count that is enough here is
// enough above it. (Were it ever not, the run would be refused rather than risk a hang.)
constexpr int kCountCeiling = 120;

int EffectiveLimit(int limit) { return std::clamp(limit, -kCountCeiling, kCountCeiling); }

// The values DrawOperand(limit) can give: 1..limit, or limit+1..1 for a limit below 1.
struct DrawRange {
    int low, high;
};
DrawRange DrawRangeOf(int limit) { return limit >= 1 ? DrawRange{1, limit} : DrawRange{limit + 1, 1}; }

int CountUpTo(Difficulty difficulty, int limit, int enough, bool chained) {
    const auto [low, high] = DrawRangeOf(limit);
    int count = 0;
    for (int a = low; a <= high; ++a) {
        for (int b = low; b <= high; ++b) {
            for (Op op1 : {Op::Add, Op::Sub}) {
                if (!chained) {
                    count += AcceptsTwoOperand(difficulty, limit, {a, op1, b});
                    if (count >= enough) return count;
                    continue;
                }
                for (int c = low; c <= high; ++c) {
                    for (Op op2 : {Op::Add, Op::Sub}) {
                        count += AcceptsChained(difficulty, limit, {a, op1, b, op2, c});
                        if (count >= enough) return count;
                    }
                }
            }
        }
    }
    return count;
}

// Counts up to the most any run needs, remembered per difficulty, kind and limit: they are
// asked for at the start of every run and when looking for the smallest workable limit.
int CachedCount(Difficulty difficulty, int limit, bool chained) {
    // Entries hold count + 1, so that the zero they start with means "not counted yet".
    static std::atomic<int> cache[3 * 2 * (2 * kCountCeiling + 1)];
    const int effective = EffectiveLimit(limit);
    auto& entry = cache[(static_cast<int>(difficulty) * 2 + chained) * (2 * kCountCeiling + 1) +
                        effective + kCountCeiling];
    int count = entry.load(std::memory_order_relaxed) - 1;
    if (count < 0) {
        count = CountUpTo(difficulty, effective, DistinctProblemsNeeded(chained, 2), chained);
        entry.store(count + 1, std::memory_order_relaxed);
    }
    return count;
}

std::u16string ToU16(int value) {
    const std::string digits = std::to_string(value);
    return {digits.begin(), digits.end()};
}

std::u16string MinimumClause(Difficulty difficulty, int sheetCount) {
    std::u16string text = u"难度为“";
    text += DifficultyText(difficulty);
    if (const auto smallest = SmallestWorkableLimit(difficulty, sheetCount)) {
        text += u"”时，“多少以内的加减法”至少要填";
        text += ToU16(*smallest);
    } else {
        text += u"”时，没有哪个“多少以内的加减法”能出满试卷";
    }
    return text;
}

}  // namespace

int DistinctProblemsNeeded(bool chained, int sheetCount) {
    std::array<int, kLayoutFormCount> positions{};
    for (int i = 1; i <= kProblemsPerSheet; ++i) ++positions[static_cast<int>(FormOf(i))];
    const int later = sheetCount >= 2 ? 1 : 0;
    int needed = 0;
    for (int form = 0; form < kLayoutFormCount; ++form) {
        if (IsChainedForm(static_cast<LayoutForm>(form)) == chained && positions[form] > 0) {
            needed = std::max(needed, positions[form] + later);
        }
    }
    return needed;
}

int CountTwoOperandProblems(Difficulty difficulty, int limit, int enough) {
    return CountUpTo(difficulty, limit, enough, false);
}

int CountChainedProblems(Difficulty difficulty, int limit, int enough) {
    return CountUpTo(difficulty, limit, enough, true);
}

bool IsWorkable(Difficulty difficulty, int limit, int sheetCount) {
    if (sheetCount <= 0) return true;
    return CachedCount(difficulty, limit, false) >= DistinctProblemsNeeded(false, sheetCount) &&
           CachedCount(difficulty, limit, true) >= DistinctProblemsNeeded(true, sheetCount);
}

std::optional<int> SmallestWorkableLimit(Difficulty difficulty, int sheetCount) {
    for (int limit = 1; limit <= kCountCeiling; ++limit) {
        if (IsWorkable(difficulty, limit, sheetCount)) return limit;
    }
    return std::nullopt;
}

std::u16string RefusalText(Difficulty difficulty, int sheetCount) {
    return u"按现在的设置，不重复的题目不够出满试卷：" + MinimumClause(difficulty, sheetCount) +
           u"。请调大后再出题！";
}

std::u16string GaveUpText(Difficulty difficulty, int sheetCount) {
    return u"重试了很多次仍没有出满不重复的题目，试卷没有生成：" + MinimumClause(difficulty, sheetCount) +
           u"，调大一些更容易出题。请调大后再试！";
}

}  // namespace pellarin
