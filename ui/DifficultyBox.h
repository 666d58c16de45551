#pragma once

#include <QComboBox>

// The difficulty box (Combo1): a drop-down list of 难, 中 and 易 with an editable text part in
// red. What the user types stays exactly as typed (no completion, nothing inserted into the
// list). Whenever the text equals an entry, that entry is the current one, so Up, Down and
// the opened list start from what the box shows. A wheel turn changes it only while the box
// has the keyboard focus, never in passing while the user scrolls elsewhere. The drop-down
// arrow is narrow so the character in the small box is seen whole.
class DifficultyBox : public QComboBox {
    Q_OBJECT
public:
    explicit DifficultyBox(QWidget* parent);

protected:
    void wheelEvent(QWheelEvent* event) override;

private:
    void FollowText(const QString& text);
};
