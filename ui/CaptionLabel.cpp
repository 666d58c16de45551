#include "CaptionLabel.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

CaptionLabel::CaptionLabel(int index, const QString& text, QWidget* parent)
    : QLabel(text, parent), m_index(index) {
    setObjectName(QStringLiteral("Label1_%1").arg(index));
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void CaptionLabel::setTextColor(const QColor& color) {
    QPalette p = palette();
    p.setColor(QPalette::Active, QPalette::WindowText, color);
    p.setColor(QPalette::Inactive, QPalette::WindowText, color);
    setPalette(p);
}

QColor CaptionLabel::textColor() const { return palette().color(QPalette::Active, QPalette::WindowText); }

void CaptionLabel::setBold(bool bold) {
    QFont f = font();
    if (f.bold() == bold) return;
    f.setBold(bold);
    setFont(f);
}

void CaptionLabel::mousePressEvent(QMouseEvent* event) {
    m_click.Pressed();
    emit pressed(m_index, event->button(), event->modifiers(), event->position().toPoint());
    m_click.AfterPressHandled(event->button());
}

void CaptionLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (m_click.IsClick(this, event)) emit clicked(m_index);
}

CaptionLabel::TextPlacement CaptionLabel::placement() const {
    QFont face = font();
    for (;;) {
        const QFontMetrics metrics(face);
        const QRect ink = metrics.tightBoundingRect(text());
        const int x = std::max(0, -ink.left());
        int baseline = metrics.ascent();
        baseline = std::min(baseline, height() - 1 - ink.bottom());
        baseline = std::max(baseline, -ink.top());
        const bool fits = ink.height() <= height() && x + ink.right() < width();
        const int pixels = QFontInfo(face).pixelSize();
        if (fits || text().isEmpty() || pixels <= 8) return {face, QPoint(x, baseline)};
        face.setPixelSize(pixels - 1);
    }
}

void CaptionLabel::paintEvent(QPaintEvent*) {
    const TextPlacement where = placement();
    QPainter painter(this);
    painter.setFont(where.font);
    const QFontMetrics metrics(where.font);
    // The style draws it, so the disabled caption keeps the platform's greyed look.
    const QRect box(where.baselineStart.x(), where.baselineStart.y() - metrics.ascent(), width(), metrics.height());
    style()->drawItemText(&painter, box, Qt::AlignLeft | Qt::AlignTop, palette(), isEnabled(), text(),
                          foregroundRole());
}
