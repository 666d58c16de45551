#pragma once

#include <array>

// Where everything is on a sheet printed ready for marking, in millimetres from the top-left
// corner of an A4 page: what the printer draws and what the reader looks for. Every problem has
// a fixed place, and its answer box a fixed place after it, whatever the face draws, so that a
// scan is read from the code alone.
namespace marking::paper {

struct Point {
    double x = 0, y = 0;
};
struct Rect {
    double x = 0, y = 0, width = 0, height = 0;
    Point centre() const { return {x + width / 2, y + height / 2}; }
};

inline constexpr double kPageWidth = 210, kPageHeight = 297;
// The four solid squares that a scan is straightened by, 10 mm inside the page's corners.
inline constexpr double kSquare = 8, kSquareInset = 10;
// The centres of the squares: top left, top right, bottom right, bottom left.
inline constexpr std::array<Point, 4> kSquareCentres{{
    {kSquareInset + kSquare / 2, kSquareInset + kSquare / 2},
    {kPageWidth - kSquareInset - kSquare / 2, kSquareInset + kSquare / 2},
    {kPageWidth - kSquareInset - kSquare / 2, kPageHeight - kSquareInset - kSquare / 2},
    {kSquareInset + kSquare / 2, kPageHeight - kSquareInset - kSquare / 2},
}};

// The sheet's lines: the title and the heading begin at the left edge of the grid.
inline constexpr double kLeft = 14;
// The heading is one line of the sheet's type (24 points) below the title.
inline constexpr double kTitleBaseline = 24.5, kHeadingBaseline = kTitleBaseline + 24 * 25.4 / 72;
inline constexpr double kFontPoints = 15;
// Where the score goes on a marked page: after "得分:" of the heading.
inline constexpr double kScoreX = kLeft + 34 * (kFontPoints / 2) * 25.4 / 72;

// The grid: 16 rows of 5 problems, then 5 rows of 4, every row 10 mm below the last.
inline constexpr int kTwoOperandRows = 16, kTwoOperandColumns = 5, kChainedColumns = 4;
inline constexpr int kProblems = 100;
inline constexpr double kFirstRowTop = 36, kRowPitch = 10;
inline constexpr double kTwoOperandPitch = 36.4, kChainedPitch = 45.5;
// A box takes three digits of a child's hand; it ends 2 mm before the next problem.
inline constexpr double kBoxWidth = 14, kBoxHeight = 9, kBoxGap = 2;
inline constexpr double kBaselineInRow = 6.6;  // the problem's baseline below its row's top

// The row and column of problem `index` (0..99, reading order).
inline int RowOf(int index) {
    const int twoOperand = kTwoOperandRows * kTwoOperandColumns;
    return index < twoOperand ? index / kTwoOperandColumns : kTwoOperandRows + (index - twoOperand) / kChainedColumns;
}
inline int ColumnOf(int index) {
    const int twoOperand = kTwoOperandRows * kTwoOperandColumns;
    return index < twoOperand ? index % kTwoOperandColumns : (index - twoOperand) % kChainedColumns;
}
inline double PitchOf(int index) { return RowOf(index) < kTwoOperandRows ? kTwoOperandPitch : kChainedPitch; }

// Where problem `index` is written: its left edge and baseline, and the room up to its box.
struct ProblemPlace {
    double x, baseline, room;
};
inline ProblemPlace ProblemAt(int index) {
    const double x = kLeft + ColumnOf(index) * PitchOf(index);
    return {x, kFirstRowTop + RowOf(index) * kRowPitch + kBaselineInRow, PitchOf(index) - kBoxWidth - kBoxGap - 1};
}
inline Rect AnswerBox(int index) {
    const double right = kLeft + (ColumnOf(index) + 1) * PitchOf(index) - kBoxGap;
    return {right - kBoxWidth, kFirstRowTop + RowOf(index) * kRowPitch, kBoxWidth, kBoxHeight};
}

// The QR code's square, quiet zone included, at the bottom right below the grid, clear of the
// corner square; the short code for a person to its left.
inline constexpr Rect kCodeArea{148, 246, 38, 38};
inline constexpr Point kShortCodeAt{112, 266};  // left end of its baseline

}  // namespace marking::paper
