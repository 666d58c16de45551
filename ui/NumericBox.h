#pragma once

#include <QLineEdit>

// A numeric settings box (Text1 0 and 2). Typing lets only digits and backspace through;
// keys that type nothing (arrows, Delete, Home, End) keep working. Text committed by an
// input method is filtered the same way, character by character. Pasting through the
// context menu is not filtered: the change check that follows every change deals with it.
// The menu shows no shortcuts, since the key filter swallows them all here.
class NumericBox : public QLineEdit {
    Q_OBJECT
public:
    NumericBox(int index, QWidget* parent);
    int index() const { return m_index; }

signals:
    // The focus went to another control of the window (not to a box, not another window).
    void lostFocus(int index);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    int m_index;
};
