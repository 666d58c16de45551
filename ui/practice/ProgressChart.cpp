#include "ProgressChart.h"

#include <QDateTime>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {

const QColor kScoreColour(0x1f, 0x5f, 0xbf);
const QColor kRateColour(0xe0, 0x6c, 0x00);

}  // namespace

ProgressChart::ProgressChart(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ProgressChart"));
    setMinimumSize(360, 200);
    setAccessibleName(QStringLiteral("得分和每分钟答对题数的变化"));
}

void ProgressChart::SetSessions(std::vector<PracticeRecords::FinishedSession> sessions) {
    m_sessions = std::move(sessions);
    double top = 0;
    for (const auto& s : m_sessions) top = std::max(top, s.RatePerMinute());
    m_rateTop = RoundTop(top);
    update();
}

double ProgressChart::RoundTop(double highest) {
    // Five steps of 1, 2 or 5 times a power of ten, at least 2: ticks at 0, 2, 4, ... or
    // 0, 50, 100, ..., never 102, 204, ...
    const double wanted = std::max(highest, 10.0) / 5;
    const double power = std::pow(10.0, std::floor(std::log10(wanted)));
    for (const double factor : {1.0, 2.0, 5.0, 10.0}) {
        if (factor * power >= wanted * (1 - 1e-9)) return 5 * factor * power;
    }
    return 50 * power;
}

void ProgressChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), palette().base());
    const QFontMetrics metrics = fontMetrics();
    const int line = metrics.height();
    const QRect plot = rect().adjusted(metrics.horizontalAdvance(QStringLiteral("100")) + 14, line * 2,
                                       -(metrics.horizontalAdvance(QStringLiteral("100")) + 14), -line * 2);
    painter.setPen(palette().text().color());
    if (m_sessions.empty()) {
        painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("还没有交过卷的练习"));
        return;
    }
    // Legend.
    int x = plot.left();
    for (const auto& [colour, text] : {std::pair{kScoreColour, QStringLiteral("得分（左）")},
                                       std::pair{kRateColour, QStringLiteral("每分钟答对（右）")}}) {
        painter.fillRect(QRect(x, line / 2 + 2, 18, 4), colour);
        painter.drawText(x + 24, line / 2 + metrics.ascent() / 2 + 2, text);
        x += 24 + metrics.horizontalAdvance(text) + 24;
    }
    if (std::any_of(m_sessions.begin(), m_sessions.end(), [](const auto& s) { return s.paper; })) {
        const QString text = QStringLiteral("□ 纸质试卷（扫描批改）");
        painter.setPen(palette().text().color());
        painter.drawText(x, line / 2 + metrics.ascent() / 2 + 2, text);
    }
    // Scales and grid: five steps on each side.
    for (int step = 0; step <= 5; ++step) {
        const int y = plot.bottom() - plot.height() * step / 5;
        painter.setPen(QPen(palette().mid().color(), 0, step ? Qt::DotLine : Qt::SolidLine));
        painter.drawLine(plot.left(), y, plot.right(), y);
        painter.setPen(kScoreColour);
        painter.drawText(QRect(0, y - line / 2, plot.left() - 6, line), Qt::AlignRight | Qt::AlignVCenter,
                         QString::number(step * 20));
        painter.setPen(kRateColour);
        painter.drawText(QRect(plot.right() + 6, y - line / 2, plot.left(), line), Qt::AlignLeft | Qt::AlignVCenter,
                         QString::number(m_rateTop * step / 5, 'g', 3));
    }
    const int count = static_cast<int>(m_sessions.size());
    auto xOf = [&](int i) { return count == 1 ? plot.center().x() : plot.left() + plot.width() * i / (count - 1.0); };
    // Dates under the first, the middle and the last session.
    painter.setPen(palette().text().color());
    // (The middle one only where it is not too close to the ends to read.)
    for (int i : count >= 5 ? std::vector<int>{0, count / 2, count - 1} : std::vector<int>{0, count - 1}) {
        const QString date = QDateTime::fromMSecsSinceEpoch(m_sessions[i].finishedMs).toString(QStringLiteral("M月d日"));
        const int width = metrics.horizontalAdvance(date);
        const int left = std::clamp(static_cast<int>(xOf(i)) - width / 2, plot.left(), plot.right() - width);
        painter.drawText(left, plot.bottom() + line + 2, date);
    }
    // The two lines, with a dot on each session while there is room for dots.
    auto scoreAt = [&](int i) { return QPointF(xOf(i), plot.bottom() - plot.height() * m_sessions[i].Percent() / 100.0); };
    auto rateAt = [&](int i) {
        return QPointF(xOf(i), plot.bottom() - plot.height() * std::min(1.0, m_sessions[i].RatePerMinute() / m_rateTop));
    };
    // A sheet marked on paper has no rate where its time was not typed in: the rate's line
    // passes it by.
    auto timed = [&](int i) { return !m_sessions[i].paper || m_sessions[i].elapsedMs > 0; };
    QPainterPath score, rate;
    for (int i = 0; i < count; ++i) {
        if (i == 0) score.moveTo(scoreAt(i));
        else score.lineTo(scoreAt(i));
        if (!timed(i)) continue;
        if (rate.elementCount() == 0) rate.moveTo(rateAt(i));
        else rate.lineTo(rateAt(i));
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kScoreColour, 2));
    painter.drawPath(score);
    painter.setPen(QPen(kRateColour, 2));
    painter.drawPath(rate);
    const bool dots = plot.width() / count >= 6;
    for (int i = 0; i < count; ++i) {
        if (m_sessions[i].paper) {
            // Paper's own marker, a hollow square, whether or not there is room for dots.
            painter.setBrush(palette().base());
            painter.setPen(QPen(kScoreColour, 2));
            painter.drawRect(QRectF(scoreAt(i) - QPointF(4.5, 4.5), QSizeF(9, 9)));
        } else if (dots) {
            painter.setBrush(kScoreColour);
            painter.setPen(Qt::NoPen);
            painter.drawEllipse(scoreAt(i), 3, 3);
        }
        if (dots && timed(i)) {
            painter.setBrush(kRateColour);
            painter.setPen(Qt::NoPen);
            painter.drawEllipse(rateAt(i), 3, 3);
        }
    }
}
