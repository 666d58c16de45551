#include "MarkedPdf.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <cerrno>

#include "export/DocumentWriter.h"
#include "export/FilePlacement.h"
#include "fonts/Fonts.h"
#include "marking/PaperLayout.h"
#include "print/PendingDevice.h"

namespace markrun {
namespace paper = marking::paper;

namespace {

[[noreturn]] void Fail(int error, const std::string& path) {
    if (error == EEXIST) throw pellarin::DocumentExists(pellarin::DescribeFileError(error), path);
    throw pellarin::DocumentError(pellarin::DescribeFileError(error), path);
}

const QColor kRed(215, 25, 32);

}  // namespace

struct MarkedPdf::State {
    std::string path;
    bool replace = false;
    std::unique_ptr<pellarin::PendingFile> file;
    std::unique_ptr<PendingDevice> device;
    std::unique_ptr<QPdfWriter> writer;
    QPainter painter;
    int pages = 0;
    double unit = 1;  // device units per millimetre
};

MarkedPdf::MarkedPdf(const std::string& path, bool replace) : m_state(std::make_unique<State>()) {
    State& s = *m_state;
    s.path = path;
    s.replace = replace;
    if (!replace && pellarin::NameTaken(path)) Fail(EEXIST, path);
    int error = 0;
    s.file = pellarin::PendingFile::Create(path, error);
    if (!s.file) Fail(error, path);
    s.device = std::make_unique<PendingDevice>(*s.file);
    s.writer = std::make_unique<QPdfWriter>(s.device.get());
    QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Point);
    layout.setMode(QPageLayout::FullPageMode);
    s.writer->setPageLayout(layout);
    s.writer->setResolution(300);
    s.writer->setCreator(QStringLiteral("Pellarin"));
    s.writer->setTitle(QStringLiteral("批改后的试卷"));
    s.unit = 300 / 25.4;
}

MarkedPdf::~MarkedPdf() {
    if (m_state->painter.isActive()) m_state->painter.end();
}

int MarkedPdf::pages() const { return m_state->pages; }

void MarkedPdf::Add(const MarkedPage& page) {
    State& s = *m_state;
    const scan::PageMarks& marks = page.marks;
    if (!marks.recognised || marks.straight.empty()) return;
    if (s.pages++ == 0) {
        if (!s.painter.begin(s.writer.get())) throw pellarin::DocumentError("无法开始写 PDF", s.path);
    } else {
        s.writer->newPage();
    }
    QPainter& p = s.painter;
    const double u = s.unit;
    const QImage image(marks.straight.pixels.data(), marks.straight.width, marks.straight.height, marks.straight.width,
                       QImage::Format_Grayscale8);
    p.drawImage(QRectF(0, 0, paper::kPageWidth * u, paper::kPageHeight * u), image);
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(kRed, 0.5 * u, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    QFont figures = fonts::Figures(11);
    int doubtful = 0;
    for (const scan::ProblemMark& mark : marks.marks) {
        if (!mark.result) continue;
        // The box as it was found on the page, in millimetres.
        const scan::Rect& r = mark.reading.where;
        const QRectF box(r.x / scan::kPixelsPerMm * u, r.y / scan::kPixelsPerMm * u, r.width / scan::kPixelsPerMm * u,
                         r.height / scan::kPixelsPerMm * u);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        const double h = box.height();
        const QPointF at(box.right() - 0.55 * h, box.center().y());
        if (mark.verdict == scan::Verdict::Right) {
            QPainterPath tick;
            tick.moveTo(at + QPointF(-0.3 * h, 0));
            tick.lineTo(at + QPointF(-0.05 * h, 0.28 * h));
            tick.lineTo(at + QPointF(0.4 * h, -0.38 * h));
            p.drawPath(tick);
        } else if (mark.verdict == scan::Verdict::Wrong) {
            p.drawLine(at + QPointF(-0.3 * h, -0.3 * h), at + QPointF(0.3 * h, 0.3 * h));
            p.drawLine(at + QPointF(0.3 * h, -0.3 * h), at + QPointF(-0.3 * h, 0.3 * h));
            // The right result, small, in the box's top right corner.
            p.setFont(figures);
            const QString result = QString::number(*mark.result);
            const double width = QFontMetricsF(figures, s.writer.get()).horizontalAdvance(result);
            p.drawText(QPointF(box.right() - width - 0.4 * u, box.top() + 3.6 * u), result);
        } else {
            ++doubtful;
            QFont question = fonts::Figures(16);
            question.setBold(true);
            p.setFont(question);
            p.drawText(QPointF(box.right() - 0.45 * h, box.bottom() - 0.2 * h), QStringLiteral("?"));
        }
    }
    QFont score = fonts::Figures(16);
    score.setBold(true);
    p.setFont(score);
    p.setPen(kRed);
    QString said = QString::number(marks.score());
    p.drawText(QPointF((paper::kScoreX + 1) * u, paper::kHeadingBaseline * u), said);
    if (doubtful > 0) {
        // On the title's line at the right, clear of the heading: the score counts only what
        // was decided.
        QFont note = fonts::Columns(10);
        p.setFont(note);
        const QString text = QStringLiteral("另有 %1 题待核").arg(doubtful);
        const double width = QFontMetricsF(note, s.writer.get()).horizontalAdvance(text);
        p.drawText(QPointF((paper::kPageWidth - 16) * u - width, paper::kTitleBaseline * u), text);
    }
}

void MarkedPdf::Finish() {
    State& s = *m_state;
    if (s.painter.isActive()) s.painter.end();
    s.writer.reset();
    if (s.device->failure() != 0) Fail(s.device->failure(), s.path);
    if (const int finishing = s.file->Finish(); finishing != 0) Fail(finishing, s.path);
    if (const int placing = s.replace ? s.file->PlaceReplacing() : s.file->PlaceWithoutReplacing(); placing != 0) {
        Fail(placing, s.path);
    }
}

}  // namespace markrun
