#include "AnswerGrid.h"

#include <algorithm>

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "sheets/PracticeSheets.h"
#include "sheets/SheetText.h"

using practice::Mark;

namespace {

// Colours that tell right from wrong also to a child who does not see red and green well:
// the wrong fields carry the right result beside them as well.
const QString kRight = QStringLiteral("QLineEdit { color: #1b6e20; background: #e3f4e1; border: 2px solid #2e9b3a; }");
const QString kWrong = QStringLiteral("QLineEdit { color: #b3261e; background: #fde7e5; border: 2px solid #d93025; }");

}  // namespace

AnswerGrid::AnswerGrid(const std::vector<practice::Problem>& problems, QWidget* parent)
    : QWidget(parent), m_problems(problems) {
    setObjectName(QStringLiteral("AnswerGrid"));
    auto* layout = new QVBoxLayout(this);
    auto* twoOperand = new QGridLayout;
    auto* chained = new QGridLayout;
    for (auto* grid : {twoOperand, chained}) {
        grid->setHorizontalSpacing(4);
        grid->setVerticalSpacing(4);
        layout->addLayout(grid);
    }
    layout->insertSpacing(1, 8);
    layout->addStretch(1);

    const auto* validator = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this);
    for (int i = 0; i < static_cast<int>(problems.size()); ++i) {
        const auto place = PlaceOf(i);
        const bool isChained = place.row >= sheet_text::kTwoOperandRows;
        QGridLayout* grid = isChained ? chained : twoOperand;
        const int row = isChained ? place.row - sheet_text::kTwoOperandRows : place.row;
        auto* problem = new QLabel(QString::fromStdString(problems[i].text), this);
        problem->setTextFormat(Qt::PlainText);  // the box's text as it stands, never markup
        problem->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto* field = new QLineEdit(this);
        field->setObjectName(QStringLiteral("Answer_%1").arg(i + 1));
        field->setAccessibleName(QStringLiteral("第 %1 题 %2").arg(i + 1).arg(problem->text()));
        field->setMaxLength(practice::kMaxDigits);
        field->setValidator(validator);
        field->setAlignment(Qt::AlignCenter);
        field->installEventFilter(this);
        if (!problems[i].Asked()) {
            field->setEnabled(false);
            field->setToolTip(QStringLiteral("这道题改过以后算不出一个能填的得数，不用答。"));
        }
        auto* correction = new QLabel(this);
        correction->setObjectName(QStringLiteral("Correction_%1").arg(i + 1));
        QPalette red = correction->palette();
        red.setColor(QPalette::WindowText, QColor(0xb3, 0x26, 0x1e));
        correction->setPalette(red);
        QFont bold;
        bold.setBold(true);
        correction->setFont(bold);
        grid->addWidget(problem, row, place.column * 3);
        grid->addWidget(field, row, place.column * 3 + 1);
        grid->addWidget(correction, row, place.column * 3 + 2);
        problem->setBuddy(field);
        connect(field, &QLineEdit::textEdited, this, [this, i](const QString& text) { emit answerEdited(i, text); });
        m_fields.push_back(field);
        m_corrections.push_back(correction);
    }
    FitFields();
}

void AnswerGrid::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) FitFields();
}

void AnswerGrid::FitFields() {
    // Three digits and a little room, in whatever size the window gives the text.
    const int width = fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 8;
    // Corrections are bold: measured so, three digits never reach the next column's problem.
    QFont bold = font();
    bold.setBold(true);
    const int correction = QFontMetrics(bold).horizontalAdvance(QStringLiteral("000")) + 4;
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        m_fields[i]->setFixedWidth(width);
        m_corrections[i]->setFixedWidth(correction);
    }
}

void AnswerGrid::SetAnswers(const std::vector<std::string>& answers) {
    for (std::size_t i = 0; i < m_fields.size() && i < answers.size(); ++i) {
        m_fields[i]->setText(QString::fromStdString(answers[i]));
    }
}

void AnswerGrid::FocusFirstOpen() {
    for (QLineEdit* field : m_fields) {
        if (field->isEnabled() && field->text().isEmpty()) {
            field->setFocus();
            return;
        }
    }
    if (!m_fields.empty()) m_fields.front()->setFocus();
}

void AnswerGrid::ShowMarks(const practice::Result& result) {
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        QLineEdit* field = m_fields[i];
        field->setReadOnly(true);
        if (!m_problems[i].Asked()) continue;
        const bool right = result.marks[i] == Mark::Right;
        field->setStyleSheet(right ? kRight : kWrong);
        field->setAccessibleDescription(right ? QStringLiteral("对") : QStringLiteral("错，应为 %1").arg(m_problems[i].value));
        if (!right) m_corrections[i]->setText(QString::number(m_problems[i].value));
    }
}

void AnswerGrid::Move(int from, int rowStep, int columnStep) {
    const int count = static_cast<int>(m_fields.size());
    int to = from;
    if (rowStep == 0) {
        // Along the reading order, over the fields that take no answer.
        do {
            to += columnStep;
        } while (to >= 0 && to < count && !m_fields[to]->isEnabled());
    } else {
        // The field above or below; from the fifth column into the rows of four, the fourth.
        const auto place = PlaceOf(from);
        for (int i = 0; i < count; ++i) {
            const auto other = PlaceOf(i);
            if (other.row == place.row + rowStep && other.column <= place.column) to = i;
        }
    }
    if (to >= 0 && to < count && to != from && m_fields[to]->isEnabled()) {
        m_fields[to]->setFocus(Qt::OtherFocusReason);
        m_fields[to]->selectAll();
    } else if (rowStep == 0 && columnStep > 0) {
        emit pastLastField();
    }
}

bool AnswerGrid::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) emit fieldFocused(static_cast<QWidget*>(watched));
    if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const int index = static_cast<int>(std::find(m_fields.begin(), m_fields.end(), watched) - m_fields.begin());
    if (index == static_cast<int>(m_fields.size())) return false;
    const bool ctrl = key->modifiers() & Qt::ControlModifier;
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (ctrl) emit handInRequested();
        else Move(index, 0, 1);
        return true;
    case Qt::Key_Tab: Move(index, 0, 1); return true;
    case Qt::Key_Backtab: Move(index, 0, -1); return true;
    case Qt::Key_Right: Move(index, 0, 1); return true;
    case Qt::Key_Left: Move(index, 0, -1); return true;
    case Qt::Key_Down: Move(index, 1, 0); return true;
    case Qt::Key_Up: Move(index, -1, 0); return true;
    default: return false;
    }
}
