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

private:
    std::array<ProblemKey, kProblemsPerSheet + 1> m_slots{};  // slot 0 unused
};

template <class Source, class Problem, class Attempt>
bool FillPosition(Source& source, int position, ProblemList& list, std::u16string& out,
                  std::uint64_t attempts, Attempt tryOnce) {
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
        return true;
    }
    return false;
}

}  // namespace detail

// The generation run: sheetCount sheets of 100 problems each. A sheet count of 0 or less,
// or a difficulty text other than "难", "中" and "易", gives an empty text without a word.
// Settings that admit too few distinct problems are refused before anything is drawn.
template <class Source>
GenerationResult BuildSheets(Source& source, std::int16_t operandLimit, std::int16_t sheetCount,
                             std::u16string_view difficultyText, const RunOptions& options = {}) {
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
    for (int sheet = 0; sheet < sheetCount; ++sheet) {
        for (int position = 1; position <= kProblemsPerSheet; ++position) {
            const bool placed =
                position <= kTwoOperandPositions
                    ? detail::FillPosition<Source, TwoOperandProblem>(source, position, list, out,
                                                                      options.attemptsPerPosition, twoOperand)
                    : detail::FillPosition<Source, ChainedProblem>(source, position, list, out,
                                                                   options.attemptsPerPosition, chained);
            if (!placed) {
                result.outputText.clear();
                result.refusal = GaveUpText(d, sheetCount);
                return result;
            }
        }
    }
    return result;
}

}  // namespace pellarin
