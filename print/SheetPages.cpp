#include "SheetPages.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

#include "SheetText.h"
#include "fonts/Fonts.h"

namespace sheet_pages {
namespace {

// In points.
constexpr double kLeft = 3.17 * 72 / 2.54;
constexpr double kTop = 2.2 * 72 / 2.54;
constexpr double kBottom = kTop;
constexpr double kFontSize = 15;
constexpr double kColumn = kFontSize / 2;      // one half-width column
constexpr double kLineHeight = kFontSize * 1.6;
// Cell widths in columns: the text's 10 and 12 characters, of which one and two full-width signs.
constexpr int kTwoOperandCell = 11, kChainedCell = 14;

class PagePainter {
public:
    PagePainter(QPainter& painter, QPagedPaintDevice& device)
        : m_painter(painter), m_device(device), m_unit(device.logicalDpiY() / 72.0),
          m_font(fonts::Columns(kFontSize)), m_footerFont(fonts::Columns(10.5)) {
        m_painter.setFont(m_font);
        m_painter.setPen(Qt::black);
        m_ascent = QFontMetricsF(m_font, &device).ascent();
        const QRectF page = device.pageLayout().fullRectPoints();
        m_pageWidth = page.width();
        m_pageHeight = page.height();
        m_linesPerPage = static_cast<int>((m_pageHeight - kTop - kBottom) / kLineHeight);
    }

    int pages() const { return m_pages; }

    // A new page: the first is there when painting begins.
    void BeginPage() {
        if (m_pages++ > 0) m_device.newPage();
    }

    // A text at a column of a line of the page, its words each at their own column. A word
    // whose glyphs are wider than its columns count (a face's emoji, a rare character) pushes
    // the next word along, so that no word is ever drawn over another.
    void DrawLine(int line, int column, QStringView raw) {
        const QString text = sheet_text::ExpandTabs(raw);
        const QFontMetricsF metrics(m_font, &m_device);
        double end = 0;  // where the last word drawn ends, in device units
        qsizetype i = 0;
        while (i < text.size()) {
            if (text[i] == QLatin1Char(' ')) {
                ++column;
                ++i;
                continue;
            }
            qsizetype stop = i;
            while (stop < text.size() && text[stop] != QLatin1Char(' ')) ++stop;
            const QString word = text.sliced(i, stop - i);
            const double x = std::max(ColumnX(column), end);
            m_painter.drawText(QPointF(x, LineY(line)), word);
            end = x + metrics.horizontalAdvance(word);
            column += sheet_text::Columns(word);
            i = stop;
        }
    }

    void DrawAt(int line, int column, const QString& text) { m_painter.drawText(QPointF(ColumnX(column), LineY(line)), text); }

    void Footer(const QString& text) {
        m_painter.setFont(m_footerFont);
        const QFontMetricsF metrics(m_footerFont, &m_device);
        const double x = (m_pageWidth * m_unit - metrics.horizontalAdvance(text)) / 2;
        m_painter.drawText(QPointF(x, (m_pageHeight - kBottom / 2) * m_unit), text);
        m_painter.setFont(m_font);
    }

    int linesPerPage() const { return m_linesPerPage; }
    double ColumnX(int column) const { return (kLeft + column * kColumn) * m_unit; }
    double LineY(int line) const { return (kTop + line * kLineHeight) * m_unit + m_ascent; }
    int columnsPerLine() const { return static_cast<int>((m_pageWidth - 2 * kLeft) / kColumn); }

private:
    QPainter& m_painter;
    QPagedPaintDevice& m_device;
    double m_unit;  // device units per point
    QFont m_font, m_footerFont;
    double m_ascent = 0, m_pageWidth = 0, m_pageHeight = 0;
    int m_linesPerPage = 0;
    int m_pages = 0;
};

QString WithAnswer(const QString& problem) {
    const std::optional<long long> value = sheet_text::Evaluate(problem);
    return value ? problem + QString::number(*value) : problem;
}

// Each word that is a problem gets its value, taken out of the spaces after it where there
// are enough (one stays), so that the rest of the line keeps its columns.
QString LineWithAnswers(const QString& line) {
    QString out;
    int owed = 0;  // columns the answers so far have taken from the spaces
    qsizetype i = 0;
    while (i < line.size()) {
        qsizetype end = i;
        const bool space = line[i] == QLatin1Char(' ');
        while (end < line.size() && (line[end] == QLatin1Char(' ')) == space) ++end;
        const QString piece = line.mid(i, end - i);
        if (space) {
            const int kept = std::max(1, static_cast<int>(piece.size()) - owed);
            owed -= static_cast<int>(piece.size()) - kept;
            out += QString(kept, QLatin1Char(' '));
        } else {
            const QString answered = WithAnswer(piece);
            owed += static_cast<int>(answered.size() - piece.size());
            out += answered;
        }
        i = end;
    }
    return out;
}

// Lines as they stand, wrapped at the right margin, over as many pages as they need.
void PaintLines(PagePainter& pages, const QStringList& lines, const QString& footer) {
    int row = pages.linesPerPage();  // forces the first page
    const int width = pages.columnsPerLine();
    auto next = [&] {
        if (++row < pages.linesPerPage()) return;
        pages.BeginPage();
        if (!footer.isEmpty()) pages.Footer(footer);
        row = 0;
    };
    for (const QString& line : lines) {
        for (const QString& piece : sheet_text::Wrap(sheet_text::ExpandTabs(line), width)) {
            next();
            pages.DrawLine(row, 0, piece);
        }
    }
}

void PaintGrid(PagePainter& pages, const sheet_text::Section& sheet, bool answers) {
    for (int r = 0; r < static_cast<int>(sheet.rows.size()); ++r) {
        const bool chained = r >= sheet_text::kTwoOperandRows;
        const int cell = chained ? kChainedCell : kTwoOperandCell;
        const QStringList& row = sheet.rows[r];
        for (int c = 0; c < row.size(); ++c) pages.DrawAt(2 + r, c * cell, answers ? WithAnswer(row[c]) : row[c]);
    }
}

QString SheetFooter(int sheet, int sheets) { return QStringLiteral("第 %1 份 / 共 %2 份").arg(sheet).arg(sheets); }

}  // namespace

QPageLayout PageLayout() {
    QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Point);
    layout.setMode(QPageLayout::FullPageMode);
    return layout;
}

int Paint(QPainter& painter, QPagedPaintDevice& device, const QString& text, bool answers) {
    const std::vector<sheet_text::Section> sections = sheet_text::Read(text);
    int sheets = 0;
    for (const auto& section : sections) sheets = std::max(sheets, section.sheet);

    PagePainter pages(painter, device);
    for (const auto& section : sections) {
        const QString footer = section.sheet > 0 ? SheetFooter(section.sheet, sheets) : QString();
        if (!section.inForm) {
            PaintLines(pages, section.lines, footer);
            continue;
        }
        pages.BeginPage();
        pages.DrawLine(0, 0, section.titleLine);
        pages.DrawLine(1, 0, section.headingLine);
        PaintGrid(pages, section, false);
        pages.Footer(footer);
    }
    if (answers) {
        for (const auto& section : sections) {
            if (section.sheet == 0) continue;
            const QString heading = QStringLiteral("          第 %1 份的答案").arg(section.sheet);
            const QString footer = QStringLiteral("答案 · ") + SheetFooter(section.sheet, sheets);
            if (!section.inForm) {
                QStringList lines{heading, QString()};
                for (const QString& line : section.lines) lines << LineWithAnswers(line);
                PaintLines(pages, lines, footer);
                continue;
            }
            pages.BeginPage();
            pages.DrawLine(0, 0, heading);
            PaintGrid(pages, section, true);
            pages.Footer(footer);
        }
    }
    if (pages.pages() == 0) pages.BeginPage();  // an empty text is one empty page
    return pages.pages();
}

}  // namespace sheet_pages
