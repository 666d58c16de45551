#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

// A press and a release inside the same control make a click, as the faces and captions
// have always had it. A press handler that shows a modal box sees the button released in
// the box; that release must not turn into a click later.
class ClickTracker {
public:
    void Pressed() { m_down = true; }
    void AfterPressHandled(Qt::MouseButton button) {
        if (!(QApplication::mouseButtons() & button)) m_down = false;
    }
    bool IsClick(const QWidget* control, const QMouseEvent* release) {
        const bool click = m_down && control->rect().contains(release->position().toPoint());
        m_down = false;
        return click;
    }

private:
    bool m_down = false;
};
