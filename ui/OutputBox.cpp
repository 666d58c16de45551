#include "OutputBox.h"

#include <QScrollBar>

OutputBox::OutputBox(QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName(QStringLiteral("Text2"));
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setTabChangesFocus(true);
}

// The document keeps paragraphs, not line-break characters: every break the box holds,
// typed or set, reads back as CR LF.
QString OutputBox::text() const {
    QString text = toPlainText();
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text;
}

void OutputBox::setText(const QString& text) { setPlainText(text); }
