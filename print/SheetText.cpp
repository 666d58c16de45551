#include "SheetText.h"

#include <QRegularExpression>
#include <algorithm>

#include "generator/SheetLayout.h"

namespace sheet_text {
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
        const bool half = (u >= 0x20 && u < 0x7F) || (u >= 0xFF61 && u <= 0xFF9F) || c.isLowSurrogate();
        columns += half ? 1 : 2;
    }
    return columns;
}

}  // namespace sheet_text
