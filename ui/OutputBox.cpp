#include "OutputBox.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTextBlock>

OutputBox::OutputBox(QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName(QStringLiteral("Text2"));
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setTabChangesFocus(true);
}

// The document keeps paragraphs, not line-break characters: every break between them, typed
// or set, reads back as CR LF. Inside a paragraph the characters come back as they are; the
// editor's own plain text would turn no-break spaces into spaces and U+2028 into breaks.
QString OutputBox::text() const {
    QString text;
    text.reserve(document()->characterCount() + document()->blockCount());
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (block != document()->begin()) text += QLatin1String("\r\n");
        text += block.text();
    }
    return text;
}

void OutputBox::setText(const QString& text) { setPlainText(text); }

void OutputBox::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu(event->pos());
    menu->setAttribute(Qt::WA_DeleteOnClose);
    if (!m_menuActions.isEmpty()) {
        menu->addSeparator();
        menu->addActions(m_menuActions);
    }
    menu->popup(event->globalPos());
}
