#pragma once

#include <QWidget>
#include <vector>

#include "practice/Session.h"

class QLabel;
class QLineEdit;

// A sheet as on paper, with an answer field after each problem at a fixed column: 16 rows of
// five two-operand problems, then 5 rows of four chained ones. A field takes up to three
// digits; Enter, Tab and the arrow keys move between fields, Backspace corrects, a click
// chooses. Once marked, right answers are green, wrong and blank ones red with the result
// beside them.
class AnswerGrid : public QWidget {
    Q_OBJECT
public:
    AnswerGrid(const std::vector<practice::Problem>& problems, QWidget* parent);

    void SetAnswers(const std::vector<std::string>& answers);
    void ShowMarks(const practice::Result& result);
    QLineEdit* Field(int index) const { return m_fields[index]; }
    // The first field a child still has to fill (or the first of all).
    void FocusFirstOpen();

signals:
    void answerEdited(int index, const QString& text);
    void handInRequested();
    void fieldFocused(QWidget* field);
    // Enter or Tab in the last field: there is no next one.
    void pastLastField();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void FitFields();
    void Move(int from, int rowStep, int columnStep);

    // A copy: the grid is a child widget, destroyed after the window's own members.
    const std::vector<practice::Problem> m_problems;
    std::vector<QLineEdit*> m_fields;
    std::vector<QLabel*> m_corrections;
};
