#include "PictureFace.h"

#include <QMouseEvent>
#include <QPainter>

PictureFace::PictureFace(int index, QWidget* parent) : QWidget(parent), m_index(index) {
    setObjectName(QStringLiteral("Image_KongZhi_%1").arg(index));
    setMouseTracking(true);  // movement without a button raises the hover look
    setFocusPolicy(Qt::NoFocus);
}

void PictureFace::setPicture(const QPixmap& picture) {
    m_picture = picture;
    update();
}

void PictureFace::setBorder(bool single) {
    if (m_border == single) return;
    m_border = single;
    update();
}

void PictureFace::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = m_border ? rect().adjusted(1, 1, -1, -1) : rect();
    painter.drawPixmap(area, m_picture);
    if (m_border) {
        painter.setPen(Qt::black);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void PictureFace::mouseMoveEvent(QMouseEvent*) { emit moved(m_index); }

void PictureFace::mousePressEvent(QMouseEvent* event) {
    m_click.Pressed();
    emit pressed(m_index, event->button(), event->modifiers(), event->position().toPoint());
    m_click.AfterPressHandled(event->button());
}

void PictureFace::mouseReleaseEvent(QMouseEvent* event) {
    if (m_click.IsClick(this, event)) emit clicked(m_index);
}
