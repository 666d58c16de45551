#include "CaptionLabel.h"

#include <QMouseEvent>

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
