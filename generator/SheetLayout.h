#pragma once

#include <string>
#include <string_view>

#include "ProblemRules.h"

namespace pellarin {

inline constexpr int kProblemsPerSheet = 100;
inline constexpr int kTwoOperandPositions = 80;  // positions 1..80; 81..100 are chained

inline constexpr std::u16string_view kTitle = u"100道口算题（100以内纯进位、退位）";
inline constexpr std::size_t kHeadingIndent = 10;  // spaces before the title
inline constexpr std::u16string_view kSecondHeadingLine =
    u"班级:         姓名:          得分:        用时:";
inline constexpr std::u16string_view kLineBreak = u"\r\n";

// The five forms a position's text can take. Texts of different forms never compare equal,
// which is what lets one problem stand once in each form on a sheet.
enum class LayoutForm : unsigned char {
    First,              // position 1: heading, problem, four spaces
    TwoOperandLineEnd,  // 5, 10, ..., 80
    TwoOperandPadded,   // other positions up to 80, padded to 10
    ChainedLineEnd,     // 84, 88, 92, 96
    ChainedPadded,      // other positions from 81, padded to 12 (100 included)
};
inline constexpr int kLayoutFormCount = 5;

constexpr LayoutForm FormOf(int position) {
    if (position <= kTwoOperandPositions) {
        // Multiple of 5 is tested before position 1, as the sheet has always done.
        if (position % 5 == 0) return LayoutForm::TwoOperandLineEnd;
        if (position == 1) return LayoutForm::First;
        return LayoutForm::TwoOperandPadded;
    }
    if (position % 4 == 0 && position < kProblemsPerSheet) return LayoutForm::ChainedLineEnd;
    return LayoutForm::ChainedPadded;
}

constexpr bool IsChainedForm(LayoutForm form) {
    return form == LayoutForm::ChainedLineEnd || form == LayoutForm::ChainedPadded;
}

// Where the sheet whose title stands at `title` in a line begins: at its heading spaces, which
// in a run's text follow the previous sheet's last row on the same line; never before `from`.
// A page break or a new printed page goes here, so that every sheet starts as the first does.
constexpr std::size_t SheetStart(std::u16string_view line, std::size_t title, std::size_t from = 0) {
    std::size_t start = title;
    while (start > from && title - start < kHeadingIndent && line[start - 1] == u' ') --start;
    return start;
}

// The expression alone, e.g. 45＋38= or 12＋35－20=.
void AppendExpression(std::u16string& out, const TwoOperandProblem& problem);
void AppendExpression(std::u16string& out, const ChainedProblem& problem);

// The ProblemText of a problem at its position (1..80 two-operand, 81..100 chained), appended.
void AppendProblemText(std::u16string& out, int position, const TwoOperandProblem& problem);
void AppendProblemText(std::u16string& out, int position, const ChainedProblem& problem);

template <class Problem>
std::u16string ProblemText(int position, const Problem& problem) {
    std::u16string text;
    AppendProblemText(text, position, problem);
    return text;
}

}  // namespace pellarin
