#include "SheetPages.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QFontDatabase>
#include <QHash>
#include <QRawFont>
#include <algorithm>
#include <optional>

#include <qrcodegen/qrcodegen.hpp>

#include "fonts/Fonts.h"
#include "marking/PaperLayout.h"
#include "marking/ProblemValue.h"
#include "marking/SheetCode.h"
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
constexpr double kSmallest = 9;  // no name is drawn smaller than this; what still does not fit is cut
constexpr int kLongest = 200;    // characters of a name that could ever fit a line
const QString kEllipsis = QStringLiteral("…");

// A name or class as a unit of its own in the text around it: a right-to-left name, or one
// that ends in a direction override, never reorders the number and the count beside it.
QString Isolated(const QString& text) { return QChar(0x2068) + text + QChar(0x2069); }

// Whether the machine's faces can write every character of `text`, in `font` or in the face
// the fallback would take: a character none of them has comes out as a box or a bar, which
// is no name at all. Most names are in `font`; the other faces are opened only for a
// character that is not, and what was found is kept. (Pages are painted on one thread.)
bool Drawable(const QString& text, const QFont& font) {
    static QHash<char32_t, bool> known;
    static std::vector<QRawFont> faces;
    const QRawFont primary = QRawFont::fromFont(font);
    for (const char32_t c : text.toUcs4()) {
        if (QChar::isSpace(c) || QChar::category(c) == QChar::Other_Format || primary.supportsCharacter(c)) continue;
        auto found = known.constFind(c);
        if (found == known.cend()) {
            if (faces.empty()) {
                for (const QString& family : QFontDatabase::families()) {
                    // A symbol face (Marlett, Wingdings) answers for every character with its
                    // pictures: it writes no name.
                    if (QFontDatabase::writingSystems(family).contains(QFontDatabase::Symbol)) continue;
                    faces.push_back(QRawFont::fromFont(QFont(family)));
                }
            }
            found = known.insert(c, std::any_of(faces.begin(), faces.end(),
                                                [c](const QRawFont& face) { return face.supportsCharacter(c); }));
        }
        if (!*found) return false;
    }
    return true;
}

// A name or class as the QR code carries it: its first 24 characters, UTF-8.
std::string Clipped(const QString& text) {
    qsizetype keep = std::min<qsizetype>(text.size(), 24);
    if (keep < text.size() && text[keep].isLowSurrogate()) --keep;
    return text.left(keep).toStdString();
}

// A piece of text as it will be drawn: the face and the characters.
struct Fitted {
    QFont font;
    QString text;
    bool cut = false;
};

class PagePainter {
public:
    PagePainter(QPainter& painter, QPagedPaintDevice& device)
        : m_painter(painter), m_device(device), m_unit(device.logicalDpiY() / 72.0),
          m_font(fonts::Columns(kFontSize)), m_footerFont(fonts::Columns(10.5)), m_figures(fonts::Figures(12)) {
        m_painter.setFont(m_font);
        m_painter.setPen(Qt::black);
        m_ascent = QFontMetricsF(m_font, &device).ascent();
        const QRectF page = device.pageLayout().fullRectPoints();
        m_pageWidth = page.width();
        m_pageHeight = page.height();
        m_linesPerPage = static_cast<int>((m_pageHeight - kTop - kBottom) / kLineHeight);
    }

    // Lines and columns begin at the page's margins, or on a page ready for marking at the
    // places its layout gives (in millimetres): the first line's baseline and its left edge.
    void SetOrigin(double leftMm, double firstBaselineMm) {
        m_left = Points(leftMm);
        m_top = Points(firstBaselineMm) - m_ascent / m_unit;
    }
    void ResetOrigin() {
        m_left = kLeft;
        m_top = kTop;
    }
    static double Points(double mm) { return mm * 72 / 25.4; }
    QPointF Mm(double x, double y) const { return {Points(x) * m_unit, Points(y) * m_unit}; }
    QRectF Mm(const marking::paper::Rect& r) const {
        return {Mm(r.x, r.y), QSizeF(Points(r.width) * m_unit, Points(r.height) * m_unit)};
    }
    QPainter& painter() { return m_painter; }

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

    void DrawAt(int line, double column, const QString& text, const QFont& font) {
        m_painter.setFont(font);
        m_painter.drawText(QPointF(ColumnX(column), LineY(line)), text);
        m_painter.setFont(m_font);
    }

    // A text in `room` device units: as it is where it fits; else smaller, down to 9 points;
    // else at 9 points, cut with "…".
    Fitted Fit(const QString& whole, QFont font, double room, bool shrink) const {
        QString text = whole;
        bool cut = false;
        if (text.size() > kLongest) {  // a 100 KB name is not measured whole for every page
            qsizetype keep = kLongest;
            if (text[keep].isLowSurrogate()) --keep;
            text = text.left(keep) + kEllipsis;
            cut = true;
        }
        const double wide = QFontMetricsF(font, &m_device).horizontalAdvance(text);
        if (!cut && wide <= room) return {font, text, false};
        const double smaller = font.pointSizeF() * room / wide * 0.98;
        if (shrink && !cut && smaller >= kSmallest) {
            font.setPointSizeF(smaller);
            return {font, text, false};
        }
        if (shrink) font.setPointSizeF(std::min(font.pointSizeF(), kSmallest));
        const QString elided = QFontMetricsF(font, &m_device).elidedText(text, Qt::ElideRight, room);
        return {font, elided.isEmpty() ? kEllipsis : elided, true};
    }

    // A text written into the blank between two labels of the heading, half a column clear of
    // each.
    bool DrawInBlank(int line, int column, int columns, const QString& text) {
        const Fitted fitted = Fit(text, m_font, (columns - 1) * kColumn * m_unit, true);
        m_painter.setFont(fitted.font);
        m_painter.drawText(QPointF(ColumnX(column + 0.5), LineY(line)), Isolated(fitted.text));
        m_painter.setFont(m_font);
        return fitted.cut;
    }

    // A line of text with a name in it, in `font`, the name cut where the whole would be wider
    // than `room` points. Returns the line as drawn and whether the name was cut.
    std::pair<QString, bool> WithName(const QFont& font, const QString& before, const QString& name,
                                      const QString& after, double room) const {
        if (name.isEmpty()) return {before + after, false};
        const QFontMetricsF metrics(font, &m_device);
        const double rest = metrics.horizontalAdvance(before + after);
        const Fitted fitted = Fit(name, font, std::max(room * m_unit - rest, 0.0), false);
        return {before + Isolated(fitted.text) + after, fitted.cut};
    }

    // A text at a place given in points from the page's corner, in a face of `points` size.
    void DrawPoints(double x, double baseline, double points, const QString& text, bool bold = false) {
        QFont font = fonts::Columns(points);
        font.setBold(bold);
        m_painter.setFont(font);
        m_painter.drawText(QPointF(x * m_unit, baseline * m_unit), text);
        m_painter.setFont(m_font);
    }

    // A result of the compact key at a place given in points.
    void DrawFigures(double x, double baseline, const QString& text) {
        m_painter.setFont(m_figures);
        m_painter.drawText(QPointF(x * m_unit, baseline * m_unit), text);
        m_painter.setFont(m_font);
    }

    // A light rule across a grid of the compact key, at a baseline given in points.
    void Guide(double x, double width, double y) {
        m_painter.save();
        m_painter.setPen(QPen(QColor(200, 200, 200), 0.4 * m_unit));
        m_painter.drawLine(QPointF(x * m_unit, y * m_unit), QPointF((x + width) * m_unit, y * m_unit));
        m_painter.restore();
    }

    QFont font(double points, bool bold = false) const {
        QFont face = fonts::Columns(points);
        face.setBold(bold);
        return face;
    }
    const QFont& footerFont() const { return m_footerFont; }

    void Footer(const QString& text) {
        m_painter.setFont(m_footerFont);
        const QFontMetricsF metrics(m_footerFont, &m_device);
        const double x = (m_pageWidth * m_unit - metrics.horizontalAdvance(text)) / 2;
        m_painter.drawText(QPointF(x, (m_pageHeight - kBottom / 2) * m_unit), text);
        m_painter.setFont(m_font);
    }

    // How many columns a text takes in the sheet's face.
    double ColumnsOf(const QString& text) const {
        return QFontMetricsF(m_font, &m_device).horizontalAdvance(text) / (kColumn * m_unit);
    }

    int linesPerPage() const { return m_linesPerPage; }
    double unit() const { return m_unit; }
    double pageWidth() const { return m_pageWidth; }
    double pageHeight() const { return m_pageHeight; }
    double ColumnX(double column) const { return (m_left + column * kColumn) * m_unit; }
    double LineY(int line) const { return (m_top + line * kLineHeight) * m_unit + m_ascent; }
    int columnsPerLine() const { return static_cast<int>((m_pageWidth - 2 * kLeft) / kColumn); }

private:
    QPainter& m_painter;
    QPagedPaintDevice& m_device;
    double m_unit;  // device units per point
    QFont m_font, m_footerFont, m_figures;
    double m_ascent = 0, m_pageWidth = 0, m_pageHeight = 0;
    int m_linesPerPage = 0;
    int m_pages = 0;
    double m_left = kLeft, m_top = kTop;  // in points
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

// A sheet's problems in their places; with answers, each followed by its value. Values make
// cells wider: a block whose widest cell would meet its neighbour's gets a wider pitch, and a
// smaller face where the line has no room for that.
void PaintGrid(PagePainter& pages, const sheet_text::Section& sheet, bool answers) {
    struct Block {
        int first, rows, cell;
    };
    for (const Block block : {Block{0, sheet_text::kTwoOperandRows, kTwoOperandCell},
                              Block{sheet_text::kTwoOperandRows, sheet_text::kChainedRows, kChainedCell}}) {
        const int last = std::min(block.first + block.rows, static_cast<int>(sheet.rows.size()));
        double pitch = block.cell, scale = 1;
        if (answers) {
            double widest = 0;
            int columns = 0;
            for (int r = block.first; r < last; ++r) {
                columns = std::max(columns, static_cast<int>(sheet.rows[r].size()));
                for (const QString& problem : sheet.rows[r]) widest = std::max(widest, pages.ColumnsOf(WithAnswer(problem)));
            }
            pitch = std::max<double>(block.cell, widest + 1);
            const double needed = (columns - 1) * pitch + widest;
            if (columns > 0 && needed > pages.columnsPerLine()) {
                scale = pages.columnsPerLine() / needed;
                pitch *= scale;
            }
        }
        const QFont face = pages.font(kFontSize * scale);
        for (int r = block.first; r < last; ++r) {
            const QStringList& row = sheet.rows[r];
            for (int c = 0; c < row.size(); ++c) pages.DrawAt(2 + r, c * pitch, answers ? WithAnswer(row[c]) : row[c], face);
        }
    }
}

// Where a heading line's blank after `label` ("姓名:") begins and how many columns it has up
// to `next` ("得分:"), or ten where nothing follows; nothing where the heading has no such label.
std::optional<std::pair<int, int>> Blank(const QString& heading, const QString& label, const QString& next) {
    const qsizetype at = heading.indexOf(label);
    if (at < 0) return std::nullopt;
    const int start = sheet_text::Columns(QStringView(heading).left(at + label.size()));
    const qsizetype until = heading.indexOf(next, at + label.size());
    const int end = until < 0 ? start + 10 : sheet_text::Columns(QStringView(heading).left(until));
    if (end <= start) return std::nullopt;
    return std::make_pair(start, end - start);
}

class Paper {
public:
    Paper(const std::vector<sheet_text::Section>& sections, const Options& options)
        : m_sections(sections), m_options(options) {
        for (const auto& section : sections) m_sheets = std::max(m_sheets, section.sheet);
        // A name no face here can write is left off the paper for the child to write, rather
        // than drawn as bars; the user is told which.
        const QFont face = fonts::Columns(kFontSize);
        for (qsizetype i = 0; i < std::min<qsizetype>(options.names.size(), m_sheets); ++i) {
            const QString& name = options.names[i];
            if (Drawable(name.left(kLongest), face)) {
                m_names << name;
            } else {
                m_names << QString();
                Say(QStringLiteral("第 %1 份的名字“%2”里有这台电脑的字体写不出的字，纸上没有写这个名字。").arg(i + 1).arg(name.left(20)));
            }
        }
        m_className = options.className;
        if (!Drawable(m_className.left(kLongest), face)) {
            Say(QStringLiteral("班级名里有这台电脑的字体写不出的字，纸上没有写班级。"));
            m_className.clear();
        }
    }

    QString Name(int sheet) const { return sheet >= 1 && sheet <= m_names.size() ? m_names[sheet - 1] : QString(); }

    // "第 3 份 · 王小明" between `before` and `after` in `font`, within `room` points.
    QString Numbered(PagePainter& pages, const QFont& font, const QString& before, int sheet, const QString& after,
                     double room) const {
        const QString number = before + QStringLiteral("第 %1 份").arg(sheet);
        if (Name(sheet).isEmpty()) return number + after;
        const auto [line, cut] = pages.WithName(font, number + QStringLiteral(" · "), Name(sheet), after, room);
        if (cut) NoteCut();
        return line;
    }
    QString Footer(PagePainter& pages, int sheet, const QString& before = {}) const {
        return Numbered(pages, pages.footerFont(), before, sheet, QStringLiteral(" / 共 %1 份").arg(m_sheets),
                        pages.pageWidth() - 2 * kLeft);
    }

    void Sheets(PagePainter& pages) const {
        for (const auto& section : m_sections) {
            const QString footer = section.sheet > 0 ? Footer(pages, section.sheet) : QString();
            if (!section.inForm) {
                PaintLines(pages, section.lines, footer);
                continue;
            }
            pages.BeginPage();
            if (m_options.marks && section.sheet > 0) {
                MarkingSheet(pages, section);
            } else {
                Heading(pages, section);
                PaintGrid(pages, section, false);
            }
            pages.Footer(footer);
        }
    }

    // The title and heading lines, with the child's name and the class on the blanks the
    // heading leaves for them.
    void Heading(PagePainter& pages, const sheet_text::Section& section) const {
        pages.DrawLine(0, 0, section.titleLine);
        pages.DrawLine(1, 0, section.headingLine);
        const auto name = Blank(section.headingLine, QStringLiteral("姓名:"), QStringLiteral("得分:"));
        if (name && !Name(section.sheet).isEmpty() && pages.DrawInBlank(1, name->first, name->second, Name(section.sheet))) {
            NoteCut();
        }
        const auto room = Blank(section.headingLine, QStringLiteral("班级:"), QStringLiteral("姓名:"));
        if (room && !m_className.isEmpty() && section.sheet > 0 &&
            pages.DrawInBlank(1, room->first, room->second, m_className)) {
            NoteCut();
        }
    }

    // A sheet ready for marking: everything at the places the reader of scans looks for it.
    void MarkingSheet(PagePainter& pages, const sheet_text::Section& section) const {
        namespace paper = marking::paper;
        QPainter& painter = pages.painter();
        for (const paper::Point centre : paper::kSquareCentres) {
            painter.fillRect(pages.Mm({centre.x - paper::kSquare / 2, centre.y - paper::kSquare / 2, paper::kSquare,
                                       paper::kSquare}),
                             Qt::black);
        }
        pages.SetOrigin(paper::kLeft, paper::kTitleBaseline);
        Heading(pages, section);
        pages.ResetOrigin();

        // The code carries the name and class as far as a code of readable size can.
        marking::CodedSheet coded{section.sheet, Clipped(Name(section.sheet)), Clipped(m_className), {}};
        const QFont face = pages.font(kFontSize);
        const QPen frame(QColor(150, 150, 150), PagePainter::Points(0.35) * pages.unit());
        int index = 0;
        for (const QStringList& row : section.rows) {
            for (const QString& problem : row) {
                coded.problems.push_back(problem.toStdString());
                const paper::ProblemPlace place = paper::ProblemAt(index);
                // An edited problem wider than its room is drawn smaller, never over its box.
                const Fitted fitted = pages.Fit(problem, face, PagePainter::Points(place.room) * pages.unit(), true);
                painter.setFont(fitted.font);
                painter.drawText(pages.Mm(place.x, place.baseline), fitted.text);
                if (marking::WritableResult(coded.problems.back())) {
                    painter.save();
                    painter.setPen(frame);
                    painter.setBrush(Qt::NoBrush);
                    painter.drawRect(pages.Mm(paper::AnswerBox(index)));
                    painter.restore();
                }
                ++index;
            }
        }
        painter.setFont(face);

        // The QR code: the whole sheet, in modules of at least half a millimetre where the
        // sheet's bytes allow it, so that a 200 dpi scan reads it.
        const std::vector<std::uint8_t> bytes = marking::EncodeSheet(coded);
        std::optional<qrcodegen::QrCode> code;
        try {
            code = qrcodegen::QrCode::encodeBinary(bytes, qrcodegen::QrCode::Ecc::MEDIUM);
            if (paper::kCodeArea.width / (code->getSize() + 8) < 0.5) {
                code = qrcodegen::QrCode::encodeBinary(bytes, qrcodegen::QrCode::Ecc::LOW);
            }
        } catch (const qrcodegen::data_too_long&) {
            // A sheet edited into pages of text: it is printed, but cannot be marked by scan.
            Say(QStringLiteral("第 %1 份改动太多，二维码装不下，这份试卷不能扫描批改。").arg(section.sheet));
            return;
        }
        const double module = paper::kCodeArea.width / (code->getSize() + 8);
        // Each row's runs of dark modules as one rectangle, so that no seam shows between them.
        for (int y = 0; y < code->getSize(); ++y) {
            for (int x = 0; x < code->getSize();) {
                if (!code->getModule(x, y)) {
                    ++x;
                    continue;
                }
                int end = x;
                while (end < code->getSize() && code->getModule(end, y)) ++end;
                painter.fillRect(pages.Mm({paper::kCodeArea.x + (x + 4) * module, paper::kCodeArea.y + (y + 4) * module,
                                           (end - x) * module, module}),
                                 Qt::black);
                x = end;
            }
        }
        pages.DrawPoints(PagePainter::Points(paper::kShortCodeAt.x), PagePainter::Points(paper::kShortCodeAt.y), 11,
                         QStringLiteral("批改码 ") + QString::fromStdString(marking::ShortCode(bytes)));
    }

    // One page per sheet, every problem followed by its value; for `only` sheets not in form
    // when it is set.
    void FullKeys(PagePainter& pages, bool onlyOutOfForm) const {
        for (const auto& section : m_sections) {
            if (section.sheet == 0 || (onlyOutOfForm && section.inForm)) continue;
            // Ten columns in, as the sheet's title; drawn whole, so a name's spaces stay its own.
            const QString heading = Numbered(pages, pages.font(kFontSize), {}, section.sheet, QStringLiteral(" 的答案"),
                                             pages.pageWidth() - 2 * kLeft - 10 * kColumn);
            const QString footer = Footer(pages, section.sheet, QStringLiteral("答案 · "));
            if (!section.inForm) {
                QStringList lines{QStringLiteral("          ") + heading, QString()};
                for (const QString& line : section.lines) lines << LineWithAnswers(line);
                PaintLines(pages, lines, footer);
                continue;
            }
            pages.BeginPage();
            pages.DrawAt(0, 10, heading, pages.font(kFontSize));
            PaintGrid(pages, section, true);
            pages.Footer(footer);
        }
    }

    // The results alone, each in its problem's place on the sheet, four sheets to a page in a
    // grid of two by two, each headed by its number and name: bold digits a marker reads at
    // arm's length, with a light rule under each row to keep the eye on it. Sheets edited out
    // of their form have no places to put results in: they get full pages after these.
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
        const QFont headingFont = pages.font(11, true);
        for (std::size_t i = 0; i < grids.size(); ++i) {
            if (i % 4 == 0) {
                pages.BeginPage();
                const int first = grids[i]->sheet, last = grids[std::min(i + 3, grids.size() - 1)]->sheet;
                pages.Footer(first == last ? QStringLiteral("答案 · 第 %1 份 / 共 %2 份").arg(first).arg(m_sheets)
                                           : QStringLiteral("答案 · 第 %1–%2 份 / 共 %3 份").arg(first).arg(last).arg(m_sheets));
            }
            const sheet_text::Section& sheet = *grids[i];
            const double left = kLeft + (i % 2) * (gridWidth + gap);
            const double top = kTop + ((i % 4) / 2) * (gridHeight + gap);
            pages.DrawPoints(left, top + line, 11,
                             Numbered(pages, headingFont, {}, sheet.sheet, QStringLiteral(" 的答案"), gridWidth), true);
            for (int r = 0; r < rows; ++r) {
                const bool chained = r >= sheet_text::kTwoOperandRows;
                const int cell = chained ? kChainedCell : kTwoOperandCell;
                const double baseline = top + line * (r + 2.6);
                pages.Guide(left, gridWidth, baseline + line * 0.3);
                for (int c = 0; c < sheet.rows[r].size(); ++c) {
                    const std::optional<long long> value = sheet_text::Evaluate(sheet.rows[r][c]);
                    if (!value) continue;
                    pages.DrawFigures(left + c * cell * column, baseline, QString::number(*value));
                }
            }
        }
        FullKeys(pages, true);
    }

    // What the user is to be told once, after the pages are drawn.
    const QStringList& said() const { return m_said; }

private:
    void Say(const QString& what) const {
        if (!m_said.contains(what)) m_said << what;
    }
    void NoteCut() const { Say(QStringLiteral("有的名字或班级太长，纸上只写了开头（以“…”结尾）。")); }

    const std::vector<sheet_text::Section>& m_sections;
    const Options& m_options;
    QStringList m_names;
    QString m_className;
    int m_sheets = 0;
    mutable QStringList m_said;
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
    if (options.said) *options.said = paper.said();
    return pages.pages();
}

}  // namespace sheet_pages
