#pragma once

#include "ClickTracker.h"

#include <QPixmap>
#include <QWidget>

// A face of a picture button (Image_KongZhi): a picture stretched to the face, with no
// border or a single-line one. Reports movement, presses and clicks with its index. A
// disabled face receives no mouse events at all, so it never highlights, presses or clicks.
class PictureFace : public QWidget {
    Q_OBJECT
public:
    PictureFace(int index, QWidget* parent);

    int index() const { return m_index; }
    void setPicture(const QPixmap& picture);
    const QPixmap& picture() const { return m_picture; }
    void setBorder(bool single);
    bool hasBorder() const { return m_border; }
    // Runs the face's command as its key does: for assistive technology.
    void activate() { emit activated(m_index); }

signals:
    void moved(int index);
    void pressed(int index, Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint position);
    void clicked(int index);
    void activated(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int m_index;
    QPixmap m_picture;
    bool m_border = false;
    ClickTracker m_click;
};
