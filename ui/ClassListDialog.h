#pragma once

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QLineEdit;
class QSpinBox;
class QPlainTextEdit;
class QLabel;

// Where a teacher gives the class for the printed sheets: the class's name and the children's
// names, typed, pasted or read from a text file (UTF-8, UTF-16 or GB18030, as class_list reads
// them).
// The last list given is remembered for the next time.
class ClassListDialog : public QDialog {
    Q_OBJECT
public:
    explicit ClassListDialog(QWidget* parent);

    QStringList names() const;
    QString className() const;
    // 按各人错题出题: each named child's sheet made again with up to this many of the child's
    // missed facts from the practice records; 0 when not asked for.
    int factsPerSheet() const;

    // What was given last time, as the dialog starts with it.
    static QStringList RememberedNames();
    static QString RememberedClass();

    void accept() override;

private:
    void ReadFile();
    void Count();

    QLineEdit* m_class;
    QPlainTextEdit* m_names;
    QLabel* m_count;
    QCheckBox* m_adapt;
    QSpinBox* m_perSheet;
};
