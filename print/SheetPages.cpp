#include "SheetPages.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <optional>

#include "fonts/Fonts.h"
#include "sheets/SheetText.h"

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

    // A text written into a blank of `columns` columns: drawn smaller where it is wider, so it
    // never reaches what follows the blank.
    void DrawFitted(int line, int column, int columns, const QString& text) {
        QFont font = m_font;
        const double room = columns * kColumn * m_unit;
        const double wide = QFontMetricsF(font, &m_device).horizontalAdvance(text);
        if (wide > room) font.setPointSizeF(font.pointSizeF() * room / wide * 0.98);
        m_painter.setFont(font);
        m_painter.drawText(QPointF(ColumnX(column), LineY(line)), text);
        m_painter.setFont(m_font);
    }

    // A text at a place given in points from the page's corner, in a face of `points` size.
    void DrawPoints(double x, double baseline, double points, const QString& text, bool bold = false) {
        QFont font = fonts::Columns(points);
        font.setBold(bold);
        m_painter.setFont(font);
        m_painter.drawText(QPointF(x * m_unit, baseline * m_unit), text);
        m_painter.setFont(m_font);
    }

    void Footer(const QString& text) {
        m_painter.setFont(m_footerFont);
        const QFontMetricsF metrics(m_footerFont, &m_device);
        const double x = (m_pageWidth * m_unit - metrics.horizontalAdvance(text)) / 2;
        m_painter.drawText(QPointF(x, (m_pageHeight - kBottom / 2) * m_unit), text);
        m_painter.setFont(m_font);
    }

    int linesPerPage() const { return m_linesPerPage; }
    double pageWidth() const { return m_pageWidth; }
    double pageHeight() const { return m_pageHeight; }
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

// Where a heading line's blank after `label` ("姓名:") begins and how many columns it has
// before `next` ("得分:"), or the end of the line; nothing where the heading has no such label.
std::optional<std::pair<int, int>> Blank(const QString& heading, const QString& label, const QString& next) {
    const qsizetype at = heading.indexOf(label);
    if (at < 0) return std::nullopt;
    const int start = sheet_text::Columns(QStringView(heading).left(at + label.size())) + 1;
    const qsizetype until = heading.indexOf(next, at + label.size());
    const int end = until < 0 ? start + 10 : sheet_text::Columns(QStringView(heading).left(until)) - 1;
    if (end <= start) return std::nullopt;
    return std::make_pair(start, end - start);
}

class Paper {
public:
    Paper(const std::vector<sheet_text::Section>& sections, const Options& options)
        : m_sections(sections), m_options(options) {
        for (const auto& section : sections) m_sheets = std::max(m_sheets, section.sheet);
    }

    QString Name(int sheet) const { return sheet >= 1 && sheet <= m_options.names.size() ? m_options.names[sheet - 1] : QString(); }
    QString Numbered(int sheet) const {
        const QString name = Name(sheet);
        return name.isEmpty() ? QStringLiteral("第 %1 份").arg(sheet) : QStringLiteral("第 %1 份 · %2").arg(sheet).arg(name);
    }
    QString Footer(int sheet) const { return Numbered(sheet) + QStringLiteral(" / 共 %1 份").arg(m_sheets); }

    void Sheets(PagePainter& pages) const {
        for (const auto& section : m_sections) {
            const QString footer = section.sheet > 0 ? Footer(section.sheet) : QString();
            if (!section.inForm) {
                PaintLines(pages, section.lines, footer);
                continue;
            }
            pages.BeginPage();
            pages.DrawLine(0, 0, section.titleLine);
            pages.DrawLine(1, 0, section.headingLine);
            // The child's name and the class on the blanks the heading leaves for them.
            const auto name = Blank(section.headingLine, QStringLiteral("姓名:"), QStringLiteral("得分:"));
            if (name && !Name(section.sheet).isEmpty()) pages.DrawFitted(1, name->first, name->second, Name(section.sheet));
            const auto room = Blank(section.headingLine, QStringLiteral("班级:"), QStringLiteral("姓名:"));
            if (room && !m_options.className.isEmpty() && section.sheet > 0) {
                pages.DrawFitted(1, room->first, room->second, m_options.className);
            }
            PaintGrid(pages, section, false);
            pages.Footer(footer);
        }
    }

    // One page per sheet, every problem followed by its value; for `only` sheets not in form
    // when it is set.
    void FullKeys(PagePainter& pages, bool onlyOutOfForm) const {
        for (const auto& section : m_sections) {
            if (section.sheet == 0 || (onlyOutOfForm && section.inForm)) continue;
            const QString heading = QStringLiteral("          ") + Numbered(section.sheet) + QStringLiteral(" 的答案");
            const QString footer = QStringLiteral("答案 · ") + Footer(section.sheet);
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

    // The results alone, each in its problem's place on the sheet, four sheets to a page in a
    // grid of two by two, each headed by its number and name. Sheets edited out of their form
    // have no places to put results in: they get full pages after these.
    void CompactKeys(PagePainter& pages) const {
        std::vector<const sheet_text::Section*> grids;
        for (const auto& section : m_sections) {
            if (section.sheet > 0 && section.inForm) grids.push_back(&section);
        }
        const double width = pages.pageWidth() - 2 * kLeft, height = pages.pageHeight() - kTop - kBottom;
        const double gap = 18;  // between the grids
        const double gridWidth = (width - gap) / 2, gridHeight = (height - gap) / 2;
        const int rows = sheet_text::kTwoOperandRows + sheet_text::kChainedRows;
        const double line = gridHeight / (rows + 2);
        const double column = gridWidth / (kChainedCell * sheet_text::kChainedColumns);  // the sheet's columns, scaled
        for (std::size_t i = 0; i < grids.size(); ++i) {
            if (i % 4 == 0) {
                pages.BeginPage();
                const int first = grids[i]->sheet, last = grids[std::min(i + 3, grids.size() - 1)]->sheet;
                pages.Footer(QStringLiteral("答案 · 第 %1–%2 份 / 共 %3 份").arg(first).arg(last).arg(m_sheets));
            }
            const sheet_text::Section& sheet = *grids[i];
            const double left = kLeft + (i % 2) * (gridWidth + gap);
            const double top = kTop + ((i % 4) / 2) * (gridHeight + gap);
            pages.DrawPoints(left, top + line, 11, Numbered(sheet.sheet) + QStringLiteral(" 的答案"), true);
            for (int r = 0; r < rows; ++r) {
                const bool chained = r >= sheet_text::kTwoOperandRows;
                const int cell = chained ? kChainedCell : kTwoOperandCell;
                for (int c = 0; c < sheet.rows[r].size(); ++c) {
                    const std::optional<long long> value = sheet_text::Evaluate(sheet.rows[r][c]);
                    if (!value) continue;
                    pages.DrawPoints(left + c * cell * column, top + line * (r + 2.6), 10, QString::number(*value));
                }
            }
        }
        FullKeys(pages, true);
    }

private:
    const std::vector<sheet_text::Section>& m_sections;
    const Options& m_options;
    int m_sheets = 0;
};

}  // namespace

QPageLayout PageLayout() {
    QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Point);
    layout.setMode(QPageLayout::FullPageMode);
    return layout;
}

int Paint(QPainter& painter, QPagedPaintDevice& device, const QString& text, const Options& options) {
    const std::vector<sheet_text::Section> sections = sheet_text::Read(text);
    const Paper paper(sections, options);
    PagePainter pages(painter, device);
    paper.Sheets(pages);
    if (options.answers == Answers::Full) paper.FullKeys(pages, false);
    if (options.answers == Answers::Compact) paper.CompactKeys(pages);
    if (pages.pages() == 0) pages.BeginPage();  // an empty text is one empty page
    return pages.pages();
}

}  // namespace sheet_pages
