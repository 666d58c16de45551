#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "Difficulty.h"
#include "ProblemRules.h"
#include "RandomSource.h"
#include "SheetLayout.h"
#include "Workability.h"

namespace pellarin {

struct GenerationResult {
    std::u16string outputText;  // OutputText: the sheets one after the other
    std::u16string refusal;     // why the run was refused; empty when it ran
    bool refused() const { return !refusal.empty(); }
};

struct RunOptions {
    // Safety net behind the workability check: attempts allowed for one position. Settings
    // that pass the check fill a position in at most a few hundred thousand attempts even in
    // the tightest case, so reaching this means something is wrong; the run then gives up.
    std::uint64_t attemptsPerPosition = 20'000'000;
};

// A run with the program's own random source, which lives as long as the program.
GenerationResult BuildSheets(std::int16_t operandLimit, std::int16_t sheetCount,
                             std::u16string_view difficulty);

RandomSource& ProgramRandomSource();

namespace detail {

// ProblemList holds the laid-out text of each position. Two texts are equal exactly when
// they have the same layout form and the same problem (operands are written without
// padding or leading zeros, and every expression ends in "="), so the list keeps a key of
// form and problem per slot instead of the text. Key 0 is the empty text of a fresh list.
using ProblemKey = std::uint64_t;

constexpr ProblemKey KeyOf(LayoutForm form, const TwoOperandProblem& p) {
    return (static_cast<ProblemKey>(form) + 1) << 56 | static_cast<std::uint16_t>(p.a) |
           static_cast<ProblemKey>(static_cast<std::uint16_t>(p.b)) << 16 |
           static_cast<ProblemKey>(p.op) << 32;
}

constexpr ProblemKey KeyOf(LayoutForm form, const ChainedProblem& p) {
    return (static_cast<ProblemKey>(form) + 1) << 56 | static_cast<std::uint16_t>(p.a) |
           static_cast<ProblemKey>(static_cast<std::uint16_t>(p.b)) << 16 |
           static_cast<ProblemKey>(static_cast<std::uint16_t>(p.c)) << 32 |
           static_cast<ProblemKey>(p.op1) << 48 | static_cast<ProblemKey>(p.op2) << 49;
}

class ProblemList {
public:
    // The duplicate test: is the key in any slot from `first` to 100? Slots at and after the
    // position being filled still hold the previous sheet's texts; the list is never cleared
    // between sheets, and that reach is part of what a sheet is.
    bool HoldsFrom(int first, ProblemKey key) const {
        bool found = false;
        for (int k = first; k <= kProblemsPerSheet; ++k) found |= m_slots[k] == key;
        return found;
    }
    void Store(int position, ProblemKey key) { m_slots[position] = key; }
    ProblemKey At(int position) const { return m_slots[position]; }

private:
    std::array<ProblemKey, kProblemsPerSheet + 1> m_slots{};  // slot 0 unused
};

// The problem at each position of the sheet just made: given problems take some of them.
struct SheetProblems {
    std::array<TwoOperandProblem, kTwoOperandPositions + 1> twoOperand{};  // [0] unused
    std::array<ChainedProblem, kProblemsPerSheet - kTwoOperandPositions> chained{};
};

template <class Source, class Problem, class Attempt>
bool FillPosition(Source& source, int position, ProblemList& list, std::u16string& out,
                  std::uint64_t attempts, Attempt tryOnce, Problem& placed) {
    const LayoutForm form = FormOf(position);
    const int firstSlot = IsChainedForm(form) ? kTwoOperandPositions + 1 : 1;
    for (std::uint64_t attempt = 0; attempt < attempts; ++attempt) {
        source.Reseed();
        const std::optional<Problem> problem = tryOnce(source);
        if (!problem) continue;
        const ProblemKey key = KeyOf(form, *problem);
        if (list.HoldsFrom(firstSlot, key)) continue;
        list.Store(position, key);
        AppendProblemText(out, position, *problem);
        placed = *problem;
        return true;
    }
    return false;
}

}  // namespace detail

// What the run hands a sheet once its 100 positions are filled, before the next sheet begins:
// the list as the sheet left it and as the sheet before left it, the sheet's problems, and where
// its text begins in the run's text.
struct MadeSheet {
    int index;  // from 0
    Difficulty difficulty;
    int limit;
    detail::ProblemList& list;
    const detail::ProblemList& before;
    detail::SheetProblems& problems;
    std::u16string& out;
    std::size_t textStart;
};

// The generation run: sheetCount sheets of 100 problems each. A sheet count of 0 or less,
// or a difficulty text other than "难", "中" and "易", gives an empty text without a word.
// Settings that admit too few distinct problems are refused before anything is drawn.
// `made` sees each sheet as it is finished (see MadeSheet); the plain run does nothing there.
template <class Source, class Made>
GenerationResult BuildSheetsWith(Source& source, std::int16_t operandLimit, std::int16_t sheetCount,
                                 std::u16string_view difficultyText, const RunOptions& options, Made made) {
    GenerationResult result;
    const std::optional<Difficulty> difficulty = ParseDifficulty(difficultyText);
    if (sheetCount <= 0 || !difficulty) return result;
    const Difficulty d = *difficulty;
    const int limit = operandLimit;
    if (!IsWorkable(d, limit, sheetCount)) {
        result.refusal = RefusalText(d, sheetCount);
        return result;
    }

    detail::ProblemList list;
    std::u16string& out = result.outputText;
    out.reserve(static_cast<std::size_t>(sheetCount) * 1100);
    const auto twoOperand = [&](Source& s) { return TryTwoOperand(s, d, limit); };
    const auto chained = [&](Source& s) { return TryChained(s, d, limit); };
    detail::SheetProblems problems;
    for (int sheet = 0; sheet < sheetCount; ++sheet) {
        const detail::ProblemList before = list;
        const std::size_t textStart = out.size();
        for (int position = 1; position <= kProblemsPerSheet; ++position) {
            const bool placed =
                position <= kTwoOperandPositions
                    ? detail::FillPosition<Source, TwoOperandProblem>(source, position, list, out,
                                                                      options.attemptsPerPosition, twoOperand,
                                                                      problems.twoOperand[position])
                    : detail::FillPosition<Source, ChainedProblem>(
                          source, position, list, out, options.attemptsPerPosition, chained,
                          problems.chained[position - kTwoOperandPositions - 1]);
            if (!placed) {
                result.outputText.clear();
                result.refusal = GaveUpText(d, sheetCount);
                return result;
            }
        }
        made(MadeSheet{sheet, d, limit, list, before, problems, out, textStart});
    }
    return result;
}

template <class Source>
GenerationResult BuildSheets(Source& source, std::int16_t operandLimit, std::int16_t sheetCount,
                             std::u16string_view difficultyText, const RunOptions& options = {}) {
    return BuildSheetsWith(source, operandLimit, sheetCount, difficultyText, options, [](const MadeSheet&) {});
}

}  // namespace pellarin
