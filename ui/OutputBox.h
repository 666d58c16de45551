#pragma once

#include <QPlainTextEdit>

// The output box (Text2): multi-line, editable, wrapping at its width with a vertical
// scroll bar. Line breaks are CR LF in and out, as the sheets and the clipboard have them.
class OutputBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit OutputBox(QWidget* parent);

    QString text() const;
    void setText(const QString& text);
};
