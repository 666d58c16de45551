#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "practice/Drill.h"

class QLabel;
class QLineEdit;
class QPushButton;

// 错题重练 on screen: one problem at a time in large type, the answer field below it, and
// after each answer whether it was right (and if not, the result) while the next one shows.
class DrillPanel : public QWidget {
    Q_OBJECT
public:
    explicit DrillPanel(QWidget* parent);

    // Starts a drill; `mastered` is told of each missed problem answered right twice in a row.
    void Start(std::unique_ptr<practice::Drill> drill, std::function<void(const practice::Problem&)> mastered);
    const practice::Drill* drill() const { return m_drill.get(); }

signals:
    void finished();
    void backRequested();

private:
    void Submit();
    void ShowCurrent();

    std::unique_ptr<practice::Drill> m_drill;
    std::function<void(const practice::Problem&)> m_mastered;
    QLabel* m_problem;
    QLineEdit* m_answer;
    QLabel* m_feedback;
    QLabel* m_progress;
    QPushButton* m_back;
};
