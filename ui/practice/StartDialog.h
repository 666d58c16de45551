#pragma once

#include <QDialog>
#include <functional>
#include <set>

class QComboBox;
class QDialogButtonBox;

// Before practice: the child's name (typed, or one used before) and the sheet, by default the
// first this child has not handed in yet. Enter starts.
class StartDialog : public QDialog {
    Q_OBJECT
public:
    // `finishedSheets` tells, for a name, which sheets (0-based) that child has handed in.
    using FinishedSheets = std::function<std::set<std::size_t>(const QString& child)>;
    StartDialog(const QStringList& children, const QList<int>& sheetNumbers, FinishedSheets finishedSheets,
                QWidget* parent);

    QString child() const;
    int sheetIndex() const;

private:
    void OnChildChanged();

    QComboBox* m_child;
    QComboBox* m_sheet;
    QDialogButtonBox* m_buttons;
    QList<int> m_numbers;
    FinishedSheets m_finishedSheets;
};
