#include "StartDialog.h"

#include <QComboBox>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

StartDialog::StartDialog(const QStringList& children, const QList<int>& sheetNumbers, FinishedSheets finishedSheets,
                         QWidget* parent)
    : QDialog(parent), m_numbers(sheetNumbers), m_finishedSheets(std::move(finishedSheets)) {
    setObjectName(QStringLiteral("PracticeStart"));
    setWindowTitle(QStringLiteral("在屏幕上练习"));
    m_child = new QComboBox(this);
    m_child->setObjectName(QStringLiteral("ChildName"));
    m_child->setEditable(true);
    m_child->setInsertPolicy(QComboBox::NoInsert);
    m_child->addItems(children);
    m_child->setCurrentIndex(children.isEmpty() ? -1 : 0);
    m_child->completer()->setCaseSensitivity(Qt::CaseInsensitive);
    m_child->lineEdit()->setPlaceholderText(QStringLiteral("孩子的名字"));
    m_child->lineEdit()->selectAll();
    m_sheet = new QComboBox(this);
    m_sheet->setObjectName(QStringLiteral("SheetChoice"));
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("开始练习"));
    m_buttons->button(QDialogButtonBox::Ok)->setDefault(true);

    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("姓名(&N)："), m_child);
    form->addRow(QStringLiteral("试卷(&S)："), m_sheet);
    form->addRow(new QLabel(QStringLiteral("计时从第一次按键开始；交卷：Ctrl+Enter。"), this));
    form->addRow(m_buttons);

    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_child, &QComboBox::currentTextChanged, this, &StartDialog::OnChildChanged);
    OnChildChanged();
    m_child->setFocus();
}

QString StartDialog::child() const { return m_child->currentText().trimmed(); }

int StartDialog::sheetIndex() const { return m_sheet->currentIndex(); }

void StartDialog::OnChildChanged() {
    const QString name = child();
    const std::set<std::size_t> finished = name.isEmpty() ? std::set<std::size_t>{} : m_finishedSheets(name);
    const QSignalBlocker blocker(m_sheet);
    m_sheet->clear();
    int first = -1;
    for (int i = 0; i < m_numbers.size(); ++i) {
        const bool done = finished.count(static_cast<std::size_t>(i)) > 0;
        m_sheet->addItem(done ? QStringLiteral("第 %1 份（做过）").arg(m_numbers[i]) : QStringLiteral("第 %1 份").arg(m_numbers[i]));
        if (!done && first < 0) first = i;
    }
    m_sheet->setCurrentIndex(first < 0 ? 0 : first);
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(!name.isEmpty());
}
