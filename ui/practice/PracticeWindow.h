#pragma once

#include <QSize>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <vector>

#include "practice/Clock.h"
#include "practice/Session.h"

class AnswerGrid;
class DrillPanel;
class PracticeStore;
class QCheckBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QStackedWidget;
class QTimer;

// What a practice window opens on: a sheet of the box for a child, or a session kept from
// before with its answers and time.
struct PracticeSetup {
    QString child;
    int sheet = 0;
    QString title;
    std::vector<practice::Problem> problems;
    std::int64_t storedId = 0;
    std::vector<std::string> answers;
    std::int64_t elapsedMs = 0;
    std::int64_t madeMs = 0;  // when the sheet was made, where known
};

// One child's sheet on screen: answered field by field with the time running from the first
// keystroke, handed in with "交卷" (Ctrl+Enter) and marked at once, then the missed problems
// drilled. Every answer is written to the records as it is typed, so a crash loses nothing.
class PracticeWindow : public QWidget {
    Q_OBJECT
public:
    PracticeWindow(PracticeSetup setup, std::shared_ptr<PracticeStore> store, const practice::Clock& clock,
                   std::uint32_t drillSeed, QWidget* parent);
    ~PracticeWindow() override;

    const practice::Session& session() const { return m_session; }
    // The session's row in the records; 0 before its first answer is written.
    std::int64_t sessionId() const { return m_sessionId; }
    AnswerGrid* grid() const { return m_grid; }

signals:
    void progressRequested(const QString& child);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildLayout();
    void Connect();
    void OpenAtFittingSize();
    void KeepInSight(QWidget* field);
    void OnAnswerEdited(int index, const QString& text);
    // The session has its row in the records (begun at its first answer); false when nothing
    // is being saved.
    bool Stored(std::int64_t nowMs);
    void SaveAnswers();
    // The same without a word to the user, for a window that is going: a failure only stops
    // saving. The session stays open in the records, to be offered again.
    void SaveAndLetGo();
    void HandIn();
    // The full drill (each missed problem right twice in a row) or the short one (once).
    void StartDrill(int rightInARow);
    void ShowTime();
    void ShowNotSaving();

    PracticeSetup m_setup;
    std::shared_ptr<PracticeStore> m_store;
    const practice::Clock& m_clock;
    std::uint32_t m_drillSeed;
    practice::Session m_session;
    std::int64_t m_sessionId = 0;
    bool m_savePending = false;
    QSize m_gridAtSmallest;

    AnswerGrid* m_grid;
    DrillPanel* m_drillPanel;
    QStackedWidget* m_pages;
    QScrollArea* m_scroll;
    QLabel* m_time;
    QCheckBox* m_showTime;
    QLabel* m_notSaving;
    QLabel* m_result;
    QPushButton* m_handIn;
    QPushButton* m_drillButton;
    QPushButton* m_shortDrillButton;
    QPushButton* m_progress;
    QPushButton* m_printMarked;
    QTimer* m_ticker;
};
