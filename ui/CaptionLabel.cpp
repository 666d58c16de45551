#include "CaptionLabel.h"

#include <QApplication>
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
    m_pressed = true;
    emit pressed(m_index, event->button(), event->modifiers(), event->position().toPoint());
    if (!(QApplication::mouseButtons() & event->button())) m_pressed = false;
}

void CaptionLabel::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = m_pressed && rect().contains(event->position().toPoint());
    m_pressed = false;
    if (click) emit clicked(m_index);
}
