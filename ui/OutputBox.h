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

    // Further entries of the right-click menu, after the editing ones.
    void setMenuActions(QList<QAction*> actions) { m_menuActions = std::move(actions); }

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QList<QAction*> m_menuActions;
};
