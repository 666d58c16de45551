#pragma once

#include <QStringList>
#include <QWidget>
#include <atomic>
#include <memory>

#include "MarkingBook.h"

class ConfirmPanel;
class PracticeStore;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QTableWidget;
class QTextBrowser;
class QThread;
class QTimer;
namespace practice {
class Clock;
}

// 批改纸质试卷: the scans of a class's sheets, read off the window's thread with a progress bar
// and 取消; each sheet appears as it is read, with its name and 得分. The teacher confirms what
// the program is unsure of (核对), gives names to sheets printed without one, sees the class's
// summary, saves the marked pages as a PDF to hand back or the answers as a CSV, and puts the
// results into the practice records. What was decided is kept beside the records until then, so
// that a crash loses none of it.
class MarkingWindow : public QWidget {
    Q_OBJECT
public:
    // `decisions`: what was decided in a marking cut short, to apply to its pages again.
    MarkingWindow(const QStringList& files, const practice::Clock& clock, QWidget* parent,
                  const QJsonObject& decisions = {});
    ~MarkingWindow() override;

    const MarkingBook& book() const { return m_book; }
    bool reading() const { return m_thread != nullptr; }
    // Where a marking not yet recorded is kept, beside the records at `recordsPath`.
    static QString KeptPath(const QString& recordsPath);

    // A page as the reader hands it over; the benchmark hands over its own.
    void Arrived(std::shared_ptr<MarkingBook::Page> page);
    void Cancel();
    void StartConfirming();
    void ShowSummary();
    // Each written whole before it takes the name, replacing a file there (the save dialog asked).
    bool SaveMarkedPdf(const QString& path, QString& error) const;
    bool SaveCsv(const QString& path, QString& error) const;
    // Puts the named sheets into the practice records, asking first where a sheet is there
    // already or answers are still 待核.
    void Record();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Read();
    void ReadingDone();
    void ShowStatus();
    void AddRow(int index);
    void UpdateRow(int index);
    void Keep();
    void AskAndSavePdf();
    void AskAndSaveCsv();

    QStringList m_files;
    const practice::Clock& m_clock;
    MarkingBook m_book;
    QThread* m_thread = nullptr;
    std::atomic<bool> m_cancel{false};
    QStringList m_children;  // names offered for a sheet without one
    bool m_recorded = false;

    QLabel* m_status;
    QProgressBar* m_progress;
    QPushButton* m_cancelButton;
    QTableWidget* m_sheets;
    QListWidget* m_unreadable;
    QStackedWidget* m_right;
    ConfirmPanel* m_confirm;
    QTextBrowser* m_summary;
    QTimer* m_keep;
};
