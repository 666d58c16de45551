#pragma once

#include <QObject>
#include <cstdint>
#include <memory>

class OutputBox;
class PracticeStore;
class PracticeWindow;
struct PracticeSetup;
class QWidget;
namespace practice {
class Clock;
}

// Practice on screen from the window: F6, or "在屏幕上练习…" in the output box's menu, opens the
// sheets of the box (edits included) for a child to answer, after asking the child's name and
// the sheet. A session left unfinished (closed and kept, or cut short by a crash) is offered
// first. "练习记录…" shows each child's progress.
class PracticeCommands : public QObject {
    Q_OBJECT
public:
    PracticeCommands(QWidget* window, OutputBox* output);

    void Start();
    void ShowProgress(const QString& child = {});

    // Tests fix the time and the drill's draws.
    static void SetClockForTests(const practice::Clock* clock);
    static void SetDrillSeedForTests(std::uint32_t seed);

private:
    void Open(const std::shared_ptr<PracticeStore>& store, PracticeSetup setup);
    // Offers the session left unfinished last time; true when that took the place of a new one
    // (taken up, or the user cancelled).
    bool TakeUpKeptSession(const std::shared_ptr<PracticeStore>& store);

    QWidget* m_window;
    OutputBox* m_output;
};
