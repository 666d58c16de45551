#pragma once

#include "ClickTracker.h"

#include <QLabel>

// A label of the Label1 array: the caption of a picture button, the counter line or the
// status line. Transparent; its presses and clicks are reported with its index so that the
// window can pass them to the face of the same index. It has no movement handling: moving
// over a caption does not raise the hover look.
class CaptionLabel : public QLabel {
    Q_OBJECT
public:
    CaptionLabel(int index, const QString& text, QWidget* parent);

    int index() const { return m_index; }

    // The text colour of the enabled look; a disabled caption keeps the greyed one.
    void setTextColor(const QColor& color);
    QColor textColor() const;
    void setBold(bool bold);

    // Where and in which font the text is drawn: as a top-aligned label would, but raised
    // when the glyphs would pass the bottom and, where this machine's glyphs are taller than
    // the label, a pixel smaller at a time until they fit, so that no glyph is ever cut.
    struct TextPlacement {
        QFont font;
        QPoint baselineStart;
    };
    TextPlacement placement() const;

signals:
    void pressed(int index, Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint position);
    void clicked(int index);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int m_index;
    ClickTracker m_click;
};
