#include "SheetText.h"

#include <QRegularExpression>
#include <QTextBoundaryFinder>
#include <algorithm>

#include "generator/SheetLayout.h"

namespace sheet_text {

// The rows read back are the ones the generator lays out: 80 two-operand problems, then 20
// chained ones, 100 in all.
static_assert(kTwoOperandRows * kTwoOperandColumns == pellarin::kTwoOperandPositions);
static_assert(kTwoOperandRows * kTwoOperandColumns + kChainedRows * kChainedColumns == pellarin::kProblemsPerSheet);
namespace {

const QString kTitle = QString::fromUtf16(pellarin::kTitle.data(), pellarin::kTitle.size());

QStringList Lines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == QLatin1Char('\r') || text[i] == QLatin1Char('\n')) {
            lines << text.mid(start, i - start);
            if (i + 1 < text.size() && text[i] == QLatin1Char('\r') && text[i + 1] == QLatin1Char('\n')) ++i;
            start = i + 1;
        }
    }
    return lines;
}

bool IsBlank(QStringView text) { return text.trimmed().isEmpty(); }

// Title, heading, then the rows: 16 of five cells, 5 of four, and nothing else but blank lines.
void Shape(Section& section) {
    const QStringList& lines = section.lines;
    constexpr int kRows = kTwoOperandRows + kChainedRows;
    if (lines.size() < 2 + kRows || lines[0].trimmed() != kTitle || !lines[1].trimmed().startsWith(QStringLiteral("班级"))) {
        return;
    }
    std::vector<QStringList> rows;
    for (int i = 0; i < kRows; ++i) {
        const QStringList cells = lines[2 + i].split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (cells.size() != (i < kTwoOperandRows ? kTwoOperandColumns : kChainedColumns)) return;
        rows.push_back(cells);
    }
    for (qsizetype i = 2 + kRows; i < lines.size(); ++i) {
        if (!IsBlank(lines[i])) return;
    }
    section.inForm = true;
    section.titleLine = lines[0];
    section.headingLine = lines[1];
    section.rows = std::move(rows);
    section.lines.clear();
}

}  // namespace

std::vector<Section> Read(const QString& text) {
    std::vector<Section> sections(1);
    int sheets = 0;
    for (const QString& line : Lines(text)) {
        const std::u16string_view view(reinterpret_cast<const char16_t*>(line.utf16()), line.size());
        std::size_t start = 0;
        for (std::size_t title = view.find(pellarin::kTitle); title != std::u16string_view::npos;
             title = view.find(pellarin::kTitle, title + pellarin::kTitle.size())) {
            // The last row of the previous sheet stays with it; the heading spaces go with the title.
            const std::size_t cut = pellarin::SheetStart(view, title, start);
            const QString before = line.mid(start, cut - start);
            if (!IsBlank(before)) sections.back().lines << before;
            sections.push_back({});
            sections.back().sheet = ++sheets;
            start = cut;
        }
        sections.back().lines << line.mid(start);
    }
    // Before the first sheet there is nothing at all, or nothing to see.
    const QStringList& front = sections.front().lines;
    if (std::all_of(front.begin(), front.end(), [](const QString& line) { return IsBlank(line); })) {
        sections.erase(sections.begin());
    }
    for (Section& section : sections) {
        if (section.sheet > 0) Shape(section);
    }
    return sections;
}

std::optional<long long> Evaluate(QStringView problem) {
    static const QRegularExpression form(
        QStringLiteral("^(\\d{1,9})([＋－+\\-])(\\d{1,9})(?:([＋－+\\-])(\\d{1,9}))?=$"));
    const QRegularExpressionMatch match = form.match(problem.toString());
    if (!match.hasMatch()) return std::nullopt;
    auto plus = [](QStringView sign) { return sign == u"＋" || sign == u"+"; };
    long long value = match.capturedView(1).toLongLong();
    for (int term = 2; term <= 4 && match.hasCaptured(term); term += 2) {
        const long long operand = match.capturedView(term + 1).toLongLong();
        value = plus(match.capturedView(term)) ? value + operand : value - operand;
    }
    return value;
}

int Columns(QStringView text) {
    int columns = 0;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        // A character outside the first plane (𠮷, 😀) is wide, counted at its first half;
        // marks that combine with the character before take no room of their own.
        if (c.isLowSurrogate() || c.category() == QChar::Mark_NonSpacing || c.category() == QChar::Mark_Enclosing) {
            continue;
        }
        const bool half = (u >= 0x20 && u < 0x7F) || (u >= 0xFF61 && u <= 0xFF9F);
        columns += half ? 1 : 2;
    }
    return columns;
}

QString ExpandTabs(QStringView line, int stop) {
    QString out;
    out.reserve(line.size());
    int column = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == QLatin1Char('\t')) {
            const int spaces = stop - column % stop;
            out += QString(spaces, QLatin1Char(' '));
            column += spaces;
        } else {
            out += line[i];
            column += Columns(line.sliced(i, 1));
        }
    }
    return out;
}

QStringList Wrap(const QString& line, int width) {
    QStringList pieces;
    QTextBoundaryFinder clusters(QTextBoundaryFinder::Grapheme, line);
    qsizetype start = 0;      // where the current piece begins
    qsizetype afterSpace = -1;  // just after the last space of the current piece
    int used = 0;
    for (qsizetype from = 0, to = clusters.toNextBoundary(); to != -1; from = to, to = clusters.toNextBoundary()) {
        const QStringView cluster = QStringView(line).sliced(from, to - from);
        const bool space = cluster == u" ";
        const int w = Columns(cluster);
        // Cut after the last space where there is one, and again before this character if what
        // followed that space still leaves it no room.
        while (used + w > width && from > start && !space) {
            const qsizetype cut = afterSpace > start ? afterSpace : from;
            pieces << line.mid(start, cut - start);
            start = cut;
            afterSpace = -1;
            used = Columns(QStringView(line).sliced(start, from - start));
        }
        used += w;
        if (space) afterSpace = to;
    }
    pieces << line.mid(start);
    return pieces;
}

}  // namespace sheet_text
