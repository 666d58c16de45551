#pragma once

#include <QWidget>
#include <memory>

class PracticeStore;
class ProgressChart;
class QComboBox;
class QLabel;
class QListWidget;
class QTableWidget;

// 练习记录: for each child, the chart of score and rate over time, every handed-in session, the
// ten problems missed most often, and the sessions exported as a CSV file for a spreadsheet.
class ProgressWindow : public QWidget {
    Q_OBJECT
public:
    ProgressWindow(std::shared_ptr<PracticeStore> store, const QString& child, QWidget* parent);

    // Writes this child's sessions as CSV (UTF-8 with a byte-order mark, CR LF); false when
    // it could not be written, with the reason in `error`.
    bool ExportCsv(const QString& path, QString& error) const;


private:
    void ShowChild();
    void AskAndExport();
    void DeleteSelectedSession();
    void RenameChild();
    void DeleteChild();
    void Said(const QString& title);

    std::shared_ptr<PracticeStore> m_store;
    QComboBox* m_child;
    ProgressChart* m_chart;
    QTableWidget* m_sessions;
    QListWidget* m_missed;
    QLabel* m_notSaving;
};
