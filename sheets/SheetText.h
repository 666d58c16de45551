#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// The output box's text read back into sheets for paper: each sheet's title and heading lines
// and its 100 problems by row, wherever the text still has that form. The user may have
// edited anything, so a part that is not in that form is kept as its lines, to be printed as
// it stands: nothing is ever dropped.
namespace sheet_text {

inline constexpr int kTwoOperandRows = 16, kTwoOperandColumns = 5;
inline constexpr int kChainedRows = 5, kChainedColumns = 4;

struct Section {
    int sheet = 0;           // 1, 2, ... for a part that begins with a title; 0 for text before the first
    bool inForm = false;     // title, heading, then 16 rows of 5 and 5 rows of 4 problems
    QString titleLine;       // in form: as in the text
    QString headingLine;     // in form: as in the text
    std::vector<QStringList> rows;  // in form: the problems of each row, left to right
    QStringList lines;       // not in form: every line of the part, as it stands
};

// The sheets of a text, in order. Lines break at CR LF (and at a lone CR or LF).
std::vector<Section> Read(const QString& text);

// The value of a problem as written, "52－18＋21=" or "37+8=", worked left to right; nothing
// for a cell that cannot be read as a problem.
std::optional<long long> Evaluate(QStringView problem);

// Width of a text in half-width columns: a Chinese or full-width character takes two, as on
// the sheets, where the columns are counted this way.
int Columns(QStringView text);

// A line with each TAB replaced by the spaces to the next stop, every `stop` columns.
QString ExpandTabs(QStringView line, int stop = 8);

// A line cut into pieces of at most `width` columns: after the last space that fits where
// there is one, else between two characters as the reader sees them (a character with its
// marks, a pair of surrogates, an emoji sequence stay whole). A piece is longer only where
// one such character alone is wider. Joined, the pieces are the line.
QStringList Wrap(const QString& line, int width);

}  // namespace sheet_text
