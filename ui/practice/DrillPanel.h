#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "practice/Drill.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

// 错题重练 on screen: one problem at a time in large type, the answer field below it, and
// after each answer whether it was right (and if not, the result) while the next one shows.
class DrillPanel : public QWidget {
    Q_OBJECT
public:
    explicit DrillPanel(QWidget* parent);

    // Starts a drill; `answered` is told of every answer: the problem, whether it was right,
    // and whether that mastered it.
    using Answered = std::function<void(const practice::Problem&, bool right, bool mastered)>;
    void Start(std::unique_ptr<practice::Drill> drill, Answered answered);
    const practice::Drill* drill() const { return m_drill.get(); }

signals:
    void finished();
    void backRequested();

private:
    void Submit();
    void ShowCurrent();

    std::unique_ptr<practice::Drill> m_drill;
    Answered m_answered;
    QLabel* m_problem;
    QLineEdit* m_answer;
    QLabel* m_feedback;
    QLabel* m_heading;
    QLabel* m_progress;
    QProgressBar* m_bar;
    QPushButton* m_back;
};
