#include "MarkedSheet.h"

#include <QPageLayout>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "fonts/Fonts.h"
#include "sheets/PracticeSheets.h"
#include "sheets/SheetText.h"

namespace marked_sheet {
namespace {

// In points, on A4 portrait.
constexpr double kMargin = 54;
constexpr double kTop = 60;
const QColor kRed(0xb3, 0x26, 0x1e);
const QColor kGreen(0x1b, 0x6e, 0x20);

QString Duration(std::int64_t ms) {
    const std::int64_t seconds = ms / 1000;
    return seconds >= 60 ? QStringLiteral("%1 分 %2 秒").arg(seconds / 60).arg(seconds % 60)
                         : QStringLiteral("%1 秒").arg(seconds);
}

}  // namespace

void Paint(QPainter& painter, QPagedPaintDevice& device, const Page& page) {
    const double unit = device.logicalDpiY() / 72.0;  // device units per point
    const QRectF paper = device.pageLayout().fullRectPoints();
    auto at = [unit](double x, double y) { return QPointF(x * unit, y * unit); };
    painter.setPen(Qt::black);

    QFont title = fonts::Song(16);
    title.setBold(true);
    painter.setFont(title);
    painter.drawText(QRectF(0, kTop * unit, paper.width() * unit, 24 * unit), Qt::AlignHCenter | Qt::AlignTop, page.title);

    const practice::Result& result = page.result;
    QFont line = fonts::Song(12);
    painter.setFont(line);
    painter.drawText(at(kMargin, kTop + 46),
                     QStringLiteral("姓名：%1　　第 %2 份　　得分：%3/%4　　用时：%5　　每分钟答对 %6 题")
                         .arg(page.child)
                         .arg(page.sheet)
                         .arg(result.right)
                         .arg(result.asked)
                         .arg(Duration(result.elapsedMs))
                         .arg(result.RatePerMinute(), 0, 'f', 1));

    // The sheet's places: 16 rows of five, then 5 rows of four, each cell the problem, the
    // answer, and the mark.
    const double width = paper.width() - 2 * kMargin;
    const double rowHeight = 29;
    const double gridTop = kTop + 84;
    QFont cell = fonts::Columns(11);
    QFont answer = fonts::Figures(11);
    for (std::size_t i = 0; i < page.problems.size(); ++i) {
        const practice::Problem& problem = page.problems[i];
        const auto place = PlaceOf(static_cast<int>(i));
        const bool chained = place.row >= sheet_text::kTwoOperandRows;
        const double pitch = width / (chained ? sheet_text::kChainedColumns : sheet_text::kTwoOperandColumns);
        const double x = kMargin + place.column * pitch;
        const double y = gridTop + place.row * rowHeight + (chained ? 10 : 0);
        painter.setFont(cell);
        painter.setPen(Qt::black);
        const QString text = QString::fromStdString(problem.text);
        painter.drawText(at(x, y), text);
        double after = x + QFontMetricsF(cell, &device).horizontalAdvance(text) / unit + 2;
        if (!problem.Asked()) continue;
        const QString given = i < page.answers.size() ? QString::fromStdString(page.answers[i]) : QString();
        const bool right = i < result.marks.size() && result.marks[i] == practice::Mark::Right;
        painter.setFont(answer);
        painter.drawText(at(after, y), given.isEmpty() ? QStringLiteral("__") : given);
        after += QFontMetricsF(answer, &device).horizontalAdvance(given.isEmpty() ? QStringLiteral("__") : given) / unit + 3;
        painter.setPen(right ? kGreen : kRed);
        painter.drawText(at(after, y), right ? QStringLiteral("✓") : QStringLiteral("✗ %1").arg(problem.value));
    }
}

void Preview(QWidget* parent, const Page& page) {
    QPrinter printer(QPrinter::HighResolution);
    QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Point);
    layout.setMode(QPageLayout::FullPageMode);
    printer.setPageLayout(layout);
    printer.setDocName(QStringLiteral("%1 的成绩").arg(page.child));
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("MarkedSheetPreview"));
    dialog.setWindowTitle(QStringLiteral("打印成绩"));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&page](QPrinter* target) {
        QPainter painter;
        if (!painter.begin(target)) return;
        Paint(painter, *target, page);
        painter.end();
    });
    dialog.resize(800, 900);
    dialog.exec();
}

}  // namespace marked_sheet
