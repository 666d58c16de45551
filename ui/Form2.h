#pragma once

#include <QWidget>

// The splash window: borderless, a picture and two lines of text. It does nothing at all;
// the main window shows it at start-up and closes it when its timer fires.
class Form2 : public QWidget {
    Q_OBJECT
public:
    explicit Form2(QWidget* parent = nullptr);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_picture;
};
