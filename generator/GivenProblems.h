#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

#include "BuildSheets.h"

// Sheets that bring back given problems, a child's missed facts: each sheet is made as any
// sheet is, then up to `perSheet` of its positions, chosen at random from the run's source, take
// the sheet's given problems in the order given. A two-operand fact goes only into positions
// 1–80 and a chained one only into 81–100, laid out for its position; it must pass the
// difficulty's rules and the limit; and it never stands where the duplicate test would have
// refused it: twice in one layout form of a sheet, or where the sheet before has it at that
// position or a later one of that form. A fact that cannot be placed is left out and counted.
// With no given problems the run is the plain run, byte for byte.
namespace pellarin {

using Fact = std::variant<TwoOperandProblem, ChainedProblem>;

// A problem as printed ("45＋38=", "52－18＋21=", ASCII signs too); nothing for any other text.
std::optional<Fact> ParseFact(std::u16string_view text);

struct AdaptedRun {
    GenerationResult result;
    std::vector<int> placed;   // per sheet: the facts it brings back
    std::vector<int> leftOut;  // per sheet: facts that do not fit its difficulty, its limit or its other problems
};

namespace detail {

// Places the sheet's facts; the sheet's text is written again where any was placed.
template <class Source>
void PlaceFacts(Source& source, const MadeSheet& sheet, const std::vector<Fact>& facts, int perSheet, int& placed,
                int& leftOut) {
    placed = leftOut = 0;
    std::array<bool, kProblemsPerSheet + 1> taken{};
    std::vector<int> candidates;
    for (const Fact& fact : facts) {
        if (placed >= perSheet) break;
        const bool chained = std::holds_alternative<ChainedProblem>(fact);
        const bool accepted =
            chained ? AcceptsChained(sheet.difficulty, sheet.limit, std::get<ChainedProblem>(fact))
                    : AcceptsTwoOperand(sheet.difficulty, sheet.limit, std::get<TwoOperandProblem>(fact));
        const int first = chained ? kTwoOperandPositions + 1 : 1;
        const int last = chained ? kProblemsPerSheet : kTwoOperandPositions;
        auto key = [&](int position) {
            return std::visit([&](const auto& p) { return KeyOf(FormOf(position), p); }, fact);
        };
        candidates.clear();
        for (int position = first; accepted && position <= last; ++position) {
            if (taken[position]) continue;
            const ProblemKey k = key(position);
            // As the duplicate test reads it: nowhere else on this sheet, and not on the sheet
            // before at this position or after it.
            bool free = true;
            for (int q = first; free && q <= kProblemsPerSheet; ++q) {
                free = !((q != position && sheet.list.At(q) == k) || (q >= position && sheet.before.At(q) == k));
            }
            if (free) candidates.push_back(position);
        }
        if (candidates.empty()) {
            ++leftOut;
            continue;
        }
        const int position = candidates[source.Next24() % candidates.size()];
        taken[position] = true;
        sheet.list.Store(position, key(position));
        if (chained) sheet.problems.chained[position - kTwoOperandPositions - 1] = std::get<ChainedProblem>(fact);
        else sheet.problems.twoOperand[position] = std::get<TwoOperandProblem>(fact);
        ++placed;
    }
    if (placed == 0) return;
    sheet.out.resize(sheet.textStart);
    for (int position = 1; position <= kProblemsPerSheet; ++position) {
        if (position <= kTwoOperandPositions) AppendProblemText(sheet.out, position, sheet.problems.twoOperand[position]);
        else AppendProblemText(sheet.out, position, sheet.problems.chained[position - kTwoOperandPositions - 1]);
    }
}

}  // namespace detail

// `given[s]`: the facts for sheet s (from 0), most wanted first; sheets beyond the list get none.
template <class Source>
AdaptedRun BuildAdaptedSheets(Source& source, std::int16_t operandLimit, std::int16_t sheetCount,
                              std::u16string_view difficulty, const std::vector<std::vector<Fact>>& given,
                              int perSheet, const RunOptions& options = {}) {
    AdaptedRun run;
    run.result = BuildSheetsWith(source, operandLimit, sheetCount, difficulty, options, [&](const MadeSheet& sheet) {
        int placed = 0, leftOut = 0;
        const auto index = static_cast<std::size_t>(sheet.index);
        if (index < given.size() && !given[index].empty() && perSheet > 0) {
            detail::PlaceFacts(source, sheet, given[index], perSheet, placed, leftOut);
        }
        run.placed.push_back(placed);
        run.leftOut.push_back(leftOut);
    });
    if (run.result.refused()) run.placed.clear(), run.leftOut.clear();
    return run;
}

}  // namespace pellarin
