#include "DrillPanel.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

DrillPanel::DrillPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("DrillPanel"));
    QFont text = font();
    text.setPointSizeF(14);
    setFont(text);
    auto* layout = new QVBoxLayout(this);
    m_heading = new QLabel(this);
    m_progress = new QLabel(this);
    m_progress->setObjectName(QStringLiteral("DrillProgress"));
    // Moves with every right answer from the first on, not only when a problem is mastered.
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("DrillBar"));
    m_bar->setTextVisible(false);
    m_bar->setAccessibleName(QStringLiteral("重练进度"));
    m_problem = new QLabel(this);
    m_problem->setObjectName(QStringLiteral("DrillProblem"));
    m_problem->setAlignment(Qt::AlignCenter);
    m_problem->setTextFormat(Qt::PlainText);  // the box's text as it stands, never markup
    QFont big = m_problem->font();
    big.setPointSizeF(32);
    m_problem->setFont(big);
    m_answer = new QLineEdit(this);
    m_answer->setObjectName(QStringLiteral("DrillAnswer"));
    m_answer->setAccessibleName(QStringLiteral("得数"));
    m_answer->setFont(big);
    m_answer->setMaxLength(practice::kMaxDigits);
    m_answer->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this));
    m_answer->setAlignment(Qt::AlignCenter);
    m_answer->setFixedWidth(m_answer->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    m_feedback = new QLabel(this);
    m_feedback->setObjectName(QStringLiteral("DrillFeedback"));
    m_feedback->setAlignment(Qt::AlignCenter);
    m_feedback->setTextFormat(Qt::PlainText);
    m_back = new QPushButton(QStringLiteral("回到试卷"), this);
    m_back->setObjectName(QStringLiteral("DrillBack"));

    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(m_problem);
    row->addWidget(m_answer);
    row->addStretch(1);
    layout->addWidget(m_heading);
    layout->addWidget(m_progress);
    layout->addWidget(m_bar);
    layout->addStretch(1);
    layout->addLayout(row);
    layout->addWidget(m_feedback);
    layout->addStretch(2);
    layout->addWidget(m_back, 0, Qt::AlignRight);

    connect(m_answer, &QLineEdit::returnPressed, this, &DrillPanel::Submit);
    connect(m_back, &QPushButton::clicked, this, &DrillPanel::backRequested);
}

void DrillPanel::Start(std::unique_ptr<practice::Drill> drill, Answered answered) {
    m_drill = std::move(drill);
    m_answered = std::move(answered);
    m_heading->setText(m_drill && m_drill->RightInARow() == 1 ? QStringLiteral("错题快练：每道错题答对一次就算练会了")
                                                              : QStringLiteral("错题重练：每道错题连续答对两次就算练会了"));
    m_feedback->clear();
    ShowCurrent();
}

void DrillPanel::ShowCurrent() {
    m_answer->clear();
    if (!m_drill || m_drill->finished()) {
        m_problem->setText(QStringLiteral("错题都练会了！"));
        m_answer->hide();
        m_progress->setText(QString());
        m_bar->setValue(m_bar->maximum());
        m_back->setFocus();
        emit finished();
        return;
    }
    m_problem->setText(QString::fromStdString(m_drill->Current().text));
    m_answer->show();
    m_answer->setFocus();
    const auto [done, needed] = m_drill->Progress();
    m_bar->setRange(0, needed);
    m_bar->setValue(done);
    m_progress->setText(QStringLiteral("还有 %1 道错题要练　　已经答对 %2 次，一共要 %3 次").arg(m_drill->Remaining()).arg(done).arg(needed));
}

void DrillPanel::Submit() {
    if (!m_drill || m_drill->finished() || m_answer->text().isEmpty()) return;
    const practice::Problem asked = m_drill->Current();
    const auto masteredBefore = m_drill->Mastered().size();
    const bool right = m_drill->Answer(m_answer->text().toStdString());
    QPalette colours = m_feedback->palette();
    colours.setColor(QPalette::WindowText, right ? QColor(0x1b, 0x6e, 0x20) : QColor(0xb3, 0x26, 0x1e));
    m_feedback->setPalette(colours);
    m_feedback->setText(right ? QStringLiteral("%1%2　对了！").arg(QString::fromStdString(asked.text)).arg(asked.value)
                              : QStringLiteral("%1%2　不对，你写的是 %3").arg(QString::fromStdString(asked.text))
                                    .arg(asked.value)
                                    .arg(m_answer->text()));
    if (m_answered) m_answered(asked, right, m_drill->Mastered().size() > masteredBefore);
    ShowCurrent();
}
