#pragma once

#include <QWidget>
#include <vector>

#include "records/PracticeRecords.h"

// The score (out of 100, left scale) and the rate (right answers a minute, right scale) of
// every handed-in session, oldest on the left, as two lines.
class ProgressChart : public QWidget {
    Q_OBJECT
public:
    explicit ProgressChart(QWidget* parent);
    // The top of the right scale for a highest rate: five round steps that reach it.
    static double RoundTop(double highest);
    void SetSessions(std::vector<PracticeRecords::FinishedSession> sessions);
    QSize sizeHint() const override { return {640, 260}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<PracticeRecords::FinishedSession> m_sessions;
    double m_rateTop = 10;
};
