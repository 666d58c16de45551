#include "SheetLayout.h"

#include <algorithm>
#include <charconv>

namespace pellarin {
namespace {

constexpr char16_t kPlus = u'＋';
constexpr char16_t kMinus = u'－';
constexpr int kTwoOperandCell = 10;
constexpr int kChainedCell = 12;
constexpr int kFirstCellGap = 4;

void AppendNumber(std::u16string& out, int value) {
    char digits[12];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
}

void AppendSign(std::u16string& out, Op op) { out.push_back(op == Op::Add ? kPlus : kMinus); }

// Ends a cell: a line break, or spaces up to the cell width. Operands of four digits and
// more (only from limits the window never lets through) make the expression wider than
// the cell; it then simply gets no padding.
void AppendCellEnd(std::u16string& out, std::size_t cellStart, LayoutForm form) {
    switch (form) {
        case LayoutForm::TwoOperandLineEnd:
        case LayoutForm::ChainedLineEnd: out.append(kLineBreak); return;
        case LayoutForm::First: out.append(kFirstCellGap, u' '); return;
        case LayoutForm::TwoOperandPadded:
        case LayoutForm::ChainedPadded: {
            const std::size_t width = form == LayoutForm::ChainedPadded ? kChainedCell : kTwoOperandCell;
            const std::size_t used = out.size() - cellStart;
            out.append(width - std::min(width, used), u' ');
            return;
        }
    }
}

}  // namespace

void AppendExpression(std::u16string& out, const TwoOperandProblem& p) {
    AppendNumber(out, p.a);
    AppendSign(out, p.op);
    AppendNumber(out, p.b);
    out.push_back(u'=');
}

void AppendExpression(std::u16string& out, const ChainedProblem& p) {
    AppendNumber(out, p.a);
    AppendSign(out, p.op1);
    AppendNumber(out, p.b);
    AppendSign(out, p.op2);
    AppendNumber(out, p.c);
    out.push_back(u'=');
}

void AppendProblemText(std::u16string& out, int position, const TwoOperandProblem& problem) {
    const LayoutForm form = FormOf(position);
    if (form == LayoutForm::First) {
        out.append(kHeadingIndent, u' ');
        out.append(kTitle);
        out.append(kLineBreak);
        out.append(kSecondHeadingLine);
        out.append(kLineBreak);
    }
    const std::size_t cellStart = out.size();
    AppendExpression(out, problem);
    AppendCellEnd(out, cellStart, form);
}

void AppendProblemText(std::u16string& out, int position, const ChainedProblem& problem) {
    const std::size_t cellStart = out.size();
    AppendExpression(out, problem);
    AppendCellEnd(out, cellStart, FormOf(position));
}

}  // namespace pellarin
