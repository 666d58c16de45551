#pragma once

#include <QJsonObject>
#include <QObject>
#include <QStringList>

class MarkingWindow;
class OutputBox;
class QWidget;
namespace practice {
class Clock;
}

// Marking paper from the window: F7, or "批改纸质试卷…" in the output box's menu, asks for the
// scans (PDFs and pictures, several at once); files dropped on the window or named on the
// command line open the same marking window. A marking cut short by a crash, with answers
// confirmed but not yet recorded, is offered again when the window first shows.
class MarkingCommands : public QObject {
    Q_OBJECT
public:
    MarkingCommands(QWidget* window, OutputBox* output);

    void Choose();
    MarkingWindow* Open(const QStringList& files, const QJsonObject& decisions = {});
    // Offers the marking kept from last time, if there is one.
    void OfferKept();

    static void SetClockForTests(const practice::Clock* clock);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
    bool m_offered = false;
};
