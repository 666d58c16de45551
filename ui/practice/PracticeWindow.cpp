#include "PracticeWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <set>

#include "AnswerGrid.h"
#include "DrillPanel.h"
#include "MarkedSheet.h"
#include "PracticeStore.h"
#include "ui/MessageBox.h"
#include "ui/Settings.h"

namespace {

const QString kTitle = QStringLiteral("在屏幕上练习");
// Whether the time is shown, as the family chose last time.
const QString kShowTime = QStringLiteral("practice/showTime");
// The grid's type is at least this size, and grows with the window.
constexpr double kSmallestPoint = 14.0;

QString Duration(std::int64_t ms) {
    const std::int64_t seconds = ms / 1000;
    return seconds >= 60 ? QStringLiteral("%1 分 %2 秒").arg(seconds / 60).arg(seconds % 60)
                         : QStringLiteral("%1 秒").arg(seconds);
}

}  // namespace

PracticeWindow::PracticeWindow(PracticeSetup setup, std::shared_ptr<PracticeStore> store, const practice::Clock& clock,
                               std::uint32_t drillSeed, QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_setup(std::move(setup)),
      m_store(std::move(store)),
      m_clock(clock),
      m_drillSeed(drillSeed),
      m_session(m_setup.problems),
      m_sessionId(m_setup.storedId) {
    setObjectName(QStringLiteral("PracticeWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("%1 · %2 · 第 %3 份").arg(kTitle, m_setup.child).arg(m_setup.sheet));
    if (m_sessionId) m_session.Restore(m_setup.answers, m_setup.elapsedMs);

    BuildLayout();
    Connect();
    ShowTime();
    ShowNotSaving();
    OpenAtFittingSize();
    m_grid->FocusFirstOpen();
}

void PracticeWindow::BuildLayout() {
    // Names and the box's text are shown as they are typed, never read as markup.
    auto* title = new QLabel(m_setup.title, this);
    title->setObjectName(QStringLiteral("PracticeTitle"));
    title->setTextFormat(Qt::PlainText);
    QFont titleFont = title->font();
    titleFont.setPointSizeF(kSmallestPoint + 4);
    titleFont.setBold(true);
    title->setFont(titleFont);
    auto* who = new QLabel(QStringLiteral("姓名：%1　　第 %2 份").arg(m_setup.child).arg(m_setup.sheet), this);
    who->setTextFormat(Qt::PlainText);
    m_time = new QLabel(this);
    m_time->setObjectName(QStringLiteral("PracticeTime"));
    m_showTime = new QCheckBox(QStringLiteral("显示用时"), this);
    m_showTime->setObjectName(QStringLiteral("ShowTime"));
    m_showTime->setToolTip(QStringLiteral("不显示时也照样计时，交卷后会显示"));
    m_showTime->setFocusPolicy(Qt::ClickFocus);
    m_showTime->setChecked(ProgramSettings().value(kShowTime, true).toBool());
    m_notSaving = new QLabel(this);
    m_notSaving->setObjectName(QStringLiteral("NotSaving"));
    m_notSaving->setWordWrap(true);
    m_notSaving->setStyleSheet(QStringLiteral("color: #b3261e;"));

    m_grid = new AnswerGrid(m_setup.problems, this);
    QFont gridFont = m_grid->font();
    gridFont.setPointSizeF(kSmallestPoint);
    m_grid->setFont(gridFont);
    m_grid->SetAnswers(m_session.answers());
    m_scroll = new QScrollArea(this);
    m_scroll->setWidget(m_grid);
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_drillPanel = new DrillPanel(this);
    m_pages = new QStackedWidget(this);
    m_pages->addWidget(m_scroll);
    m_pages->addWidget(m_drillPanel);

    m_handIn = new QPushButton(QStringLiteral("交卷"), this);
    m_handIn->setObjectName(QStringLiteral("HandIn"));
    m_handIn->setToolTip(QStringLiteral("交卷 (Ctrl+Enter)"));
    m_handIn->setFocusPolicy(Qt::ClickFocus);
    m_result = new QLabel(this);
    m_result->setWordWrap(true);
    m_result->setObjectName(QStringLiteral("PracticeResult"));
    QFont resultFont = m_result->font();
    resultFont.setPointSizeF(kSmallestPoint);
    resultFont.setBold(true);
    m_result->setFont(resultFont);
    // Keys shown on the buttons (Alt+R, K, P, J), and a frame that shows where Tab has gone.
    m_drillButton = new QPushButton(QStringLiteral("错题重练(&R)"), this);
    m_drillButton->setObjectName(QStringLiteral("StartDrill"));
    m_drillButton->setEnabled(false);
    m_drillButton->setToolTip(QStringLiteral("每道错题连续答对两次才算练会（Alt+R）"));
    m_shortDrillButton = new QPushButton(QStringLiteral("错题快练(&K)"), this);
    m_shortDrillButton->setObjectName(QStringLiteral("StartShortDrill"));
    m_shortDrillButton->setToolTip(QStringLiteral("时间不多时：每道错题答对一次就算练会（Alt+K）"));
    m_shortDrillButton->setEnabled(false);
    m_printMarked = new QPushButton(QStringLiteral("打印成绩(&P)…"), this);
    m_printMarked->setObjectName(QStringLiteral("PrintMarked"));
    m_printMarked->setToolTip(QStringLiteral("批改好的试卷和得分、用时，印在一页上（Alt+P）"));
    m_printMarked->setEnabled(false);
    m_progress = new QPushButton(QStringLiteral("练习记录(&J)"), this);
    m_progress->setObjectName(QStringLiteral("ShowProgress"));
    for (QPushButton* button : {m_drillButton, m_shortDrillButton, m_printMarked, m_progress}) {
        button->setFocusPolicy(Qt::StrongFocus);
        button->setStyleSheet(QStringLiteral("QPushButton:focus { border: 2px solid #1a73e8; border-radius: 3px; padding: 4px 10px; }"));
        button->setMinimumWidth(button->sizeHint().width() + 16);  // the frame's padding, focused
    }

    auto* top = new QHBoxLayout;
    top->addWidget(who);
    top->addStretch(1);
    top->addWidget(m_time);
    top->addWidget(m_showTime);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_handIn);
    bottom->addStretch(1);
    bottom->addWidget(m_drillButton);
    bottom->addWidget(m_shortDrillButton);
    bottom->addWidget(m_printMarked);
    bottom->addWidget(m_progress);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title, 0, Qt::AlignHCenter);
    layout->addLayout(top);
    layout->addWidget(m_notSaving);
    layout->addWidget(m_pages, 1);
    layout->addWidget(m_result);
    layout->addLayout(bottom);
}

void PracticeWindow::Connect() {
    m_ticker = new QTimer(this);
    m_ticker->setInterval(1000);
    connect(m_ticker, &QTimer::timeout, this, &PracticeWindow::ShowTime);
    connect(m_showTime, &QCheckBox::toggled, this, [this](bool shown) {
        ProgramSettings().setValue(kShowTime, shown);
        ShowTime();
    });
    connect(m_grid, &AnswerGrid::answerEdited, this, &PracticeWindow::OnAnswerEdited);
    connect(m_grid, &AnswerGrid::handInRequested, this, &PracticeWindow::HandIn);
    // The field being typed into is always in sight, whatever the window's height.
    connect(m_grid, &AnswerGrid::fieldFocused, this, [this](QWidget* field) { KeepInSight(field); });
    connect(m_grid, &AnswerGrid::pastLastField, this, [this] {
        if (!m_session.finished()) m_result->setText(QStringLiteral("这是最后一题。检查好了，按 Ctrl+Enter 或点“交卷”。"));
    });
    connect(m_handIn, &QPushButton::clicked, this, &PracticeWindow::HandIn);
    for (auto key : {Qt::CTRL | Qt::Key_Return, Qt::CTRL | Qt::Key_Enter}) {
        connect(new QShortcut(QKeySequence(key), this), &QShortcut::activated, this, &PracticeWindow::HandIn);
    }
    connect(m_drillButton, &QPushButton::clicked, this, [this] { StartDrill(practice::Drill::kRightInARow); });
    connect(m_shortDrillButton, &QPushButton::clicked, this, [this] { StartDrill(1); });
    connect(m_printMarked, &QPushButton::clicked, this, [this] {
        marked_sheet::Preview(this, {m_setup.title, m_setup.child, m_setup.sheet, m_setup.problems, m_session.answers(),
                                     m_session.result()});
    });
    connect(m_progress, &QPushButton::clicked, this, [this] { emit progressRequested(m_setup.child); });
    connect(m_drillPanel, &DrillPanel::backRequested, this, [this] { m_pages->setCurrentIndex(0); });
}

void PracticeWindow::OpenAtFittingSize() {
    // Big enough for the whole sheet at the smallest type, where the screen has the room; on
    // a small screen (1366 x 768) no bigger than the screen, the sheet then scrolling.
    m_gridAtSmallest = m_grid->sizeHint();
    QSize size = sizeHint();
    size.setWidth(std::max(size.width(), m_gridAtSmallest.width() + m_scroll->verticalScrollBar()->sizeHint().width() + 48));
    size.setHeight(std::max(size.height(), m_gridAtSmallest.height() + 160));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        size = size.boundedTo(screen->availableGeometry().size() * 0.92);
    }
    resize(size);
}

void PracticeWindow::KeepInSight(QWidget* field) {
    if (field && m_grid->isAncestorOf(field)) m_scroll->ensureWidgetVisible(field, 24, 16);
}

// Closed with the program: the last keys are written, the session stays open for next time.
// Nothing is shown here: the widget is being destroyed.
PracticeWindow::~PracticeWindow() { SaveAndLetGo(); }

void PracticeWindow::SaveAndLetGo() {
    PracticeRecords* records = m_store->records();
    if (!records || !m_sessionId || m_session.finished()) return;
    m_savePending = false;
    m_session.Pause(m_clock.NowMs());
    if (!records->SaveAnswers(m_sessionId, m_session.answers(), m_session.ElapsedMs(m_clock.NowMs())) ||
        !records->Release(m_sessionId)) {
        m_store->Drop();
    }
    m_sessionId = 0;
}

void PracticeWindow::ShowNotSaving() {
    m_notSaving->setText(m_store->notSaving());
    m_notSaving->setVisible(!m_store->notSaving().isEmpty());
}

void PracticeWindow::ShowTime() {
    const std::int64_t elapsed = m_session.finished() ? m_session.result().elapsedMs : m_session.ElapsedMs(m_clock.NowMs());
    m_time->setText(QStringLiteral("用时：") + Duration(elapsed));
    m_time->setVisible(m_showTime->isChecked() || m_session.finished());
}

void PracticeWindow::OnAnswerEdited(int index, const QString& text) {
    const bool wasStarted = m_session.started();
    if (!m_session.SetAnswer(static_cast<std::size_t>(index), text.toStdString(), m_clock.NowMs())) return;
    if (!wasStarted || !m_ticker->isActive()) {
        m_ticker->start();
        ShowTime();
    }
    // Written once the key has been handled: a burst of keys is one write.
    if (!m_savePending) {
        m_savePending = true;
        // Unless something saved them first: closing the window lets go of the session, and a
        // late save would begin it anew.
        QTimer::singleShot(0, this, [this] {
            if (m_savePending) SaveAnswers();
        });
    }
}

bool PracticeWindow::Stored(std::int64_t nowMs) {
    PracticeRecords* records = m_store->records();
    if (!records) return false;
    if (!m_sessionId) {
        m_sessionId = records->Begin(m_setup.child.toStdString(), m_setup.sheet, m_setup.title.toStdString(),
                                     m_setup.problems, nowMs, m_setup.madeMs);
        if (!m_store->Check(m_sessionId != 0, this)) {
            ShowNotSaving();
            return false;
        }
    }
    return true;
}

void PracticeWindow::SaveAnswers() {
    m_savePending = false;
    if (m_session.finished() || !Stored(m_clock.NowMs())) return;
    const std::int64_t elapsed = m_session.ElapsedMs(m_clock.NowMs());
    if (!m_store->Check(m_store->records()->SaveAnswers(m_sessionId, m_session.answers(), elapsed), this)) {
        ShowNotSaving();
    }
}

void PracticeWindow::HandIn() {
    if (m_session.finished()) return;
    int blank = 0;
    for (std::size_t i = 0; i < m_session.problems().size(); ++i) {
        blank += m_session.problems()[i].Asked() && m_session.answers()[i].empty();
    }
    if (blank > 0 && MessageBox::Question(this, QStringLiteral("交卷"),
                                          QStringLiteral("还有 %1 道题没有填，没填的算错。确定交卷吗？").arg(blank),
                                          QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes) {
        m_grid->FocusFirstOpen();  // straight back to the first blank
        return;
    }
    if (m_savePending) SaveAnswers();
    const std::int64_t now = m_clock.NowMs();
    const practice::Result& result = m_session.HandIn(now);
    m_ticker->stop();
    m_grid->ShowMarks(result);
    m_handIn->setEnabled(false);
    m_printMarked->setEnabled(true);
    m_result->setText(QStringLiteral("得分：%1/%2　　用时：%3　　每分钟答对 %4 题")
                          .arg(result.right)
                          .arg(result.asked)
                          .arg(Duration(result.elapsedMs))
                          .arg(result.RatePerMinute(), 0, 'f', 1));
    ShowTime();
    if (Stored(now)) {
        m_store->Check(m_store->records()->Finish(m_sessionId, m_session, now, m_clock.Today()), this);
        ShowNotSaving();
    }
    // The drill takes this sheet's misses and whatever is still on the child's list.
    bool anyMissed = result.right < result.asked;
    if (PracticeRecords* records = m_store->records(); records && !anyMissed) {
        const auto list = records->MissedList(m_setup.child.toStdString());
        anyMissed = m_store->CheckRead(list.has_value(), this) && !list->empty();
        ShowNotSaving();
    }
    m_drillButton->setEnabled(anyMissed);
    m_shortDrillButton->setEnabled(anyMissed);
    if (anyMissed) m_drillButton->setFocus();
}

void PracticeWindow::StartDrill(int rightInARow) {
    auto [missed, known] = m_session.MissedAndRight();
    // Problems missed in earlier sessions come back after this sheet's own; those this sheet
    // asked and the child got right count already.
    std::set<std::string> seen, carried;
    for (const auto* problems : {&missed, &known}) {
        for (const auto& problem : *problems) seen.insert(problem.text);
    }
    if (PracticeRecords* records = m_store->records()) {
        const auto list = records->MissedList(m_setup.child.toStdString());
        if (m_store->CheckRead(list.has_value(), this)) {
            for (const auto& entry : *list) {
                if (seen.insert(entry.problem.text).second) {
                    missed.push_back(entry.problem);
                    carried.insert(entry.problem.text);
                }
            }
        }
        ShowNotSaving();
    }
    auto drill = std::make_unique<practice::Drill>(std::move(missed), std::move(known), m_drillSeed++, rightInARow);
    // A wrong answer goes on the child's list (or back to the start of its count there); a
    // problem from the list mastered here counts as a right answer on it.
    m_drillPanel->Start(std::move(drill), [this, carried](const practice::Problem& problem, bool right, bool mastered) {
        if (right && !(mastered && carried.count(problem.text))) return;
        if (PracticeRecords* records = m_store->records()) {
            m_store->Check(records->RecordDrilled(m_setup.child.toStdString(), m_sessionId, problem, right, m_clock.Today()), this);
            ShowNotSaving();
        }
    });
    m_pages->setCurrentIndex(1);
}

void PracticeWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    QFont font = m_grid->font();
    // The sheet fills the room it is given, as wide or as high as that allows, never below
    // the smallest type; what does not fit then scrolls.
    const QSize room(m_pages->width() - 24, m_pages->height() - 8);
    auto fitting = [&](QSize grid, double at) {
        const double wide = static_cast<double>(room.width()) / std::max(1, grid.width());
        const double high = static_cast<double>(room.height()) / std::max(1, grid.height());
        return std::max(kSmallestPoint, at * std::min(wide, high));
    };
    double point = fitting(m_gridAtSmallest, kSmallestPoint);
    if (std::abs(font.pointSizeF() - point) <= 0.25) return;
    // Frames and spacing do not grow with the type: the size is corrected against the grid's
    // own once or twice.
    for (int round = 0; round < 3; ++round) {
        font.setPointSizeF(point);
        m_grid->setFont(font);
        const QSize grid = m_grid->sizeHint();
        if ((grid.width() <= room.width() && grid.height() <= room.height()) || point <= kSmallestPoint) break;
        point = fitting(grid, point) * 0.99;
    }
    // Once the grid has its new size, the field being typed into is brought back in sight.
    QTimer::singleShot(0, this, [this] { KeepInSight(QApplication::focusWidget()); });
}

void PracticeWindow::closeEvent(QCloseEvent* event) {
    if (m_session.finished() || !m_session.started()) {
        event->accept();
        return;
    }
    if (m_savePending) SaveAnswers();  // a failure here is asked about below
    if (!m_store->records()) {
        const auto answer = MessageBox::Question(this, kTitle,
                                                 QStringLiteral("还没有交卷。练习记录无法保存，现在关闭，这次的答案就没有了。确定关闭吗？"),
                                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer == QMessageBox::Yes) event->accept();
        else event->ignore();
        return;
    }
    // The clock stands still while the question is open.
    m_session.Pause(m_clock.NowMs());
    m_ticker->stop();
    const auto answer = MessageBox::Question(this, kTitle,
                                             QStringLiteral("还没有交卷。保留这次练习，下次接着做吗？\r\n"
                                                            "选“是”，下次按 F6 时可以接着做；选“否”，这次的答案不再提起。"),
                                             QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer == QMessageBox::Cancel) {
        m_session.Resume(m_clock.NowMs());
        m_ticker->start();
        event->ignore();
        return;
    }
    // The time up to now, with the answers; "否" keeps them, but never offers them again.
    SaveAnswers();
    if (m_sessionId && m_store->records()) {
        PracticeRecords* records = m_store->records();
        m_store->Check(answer == QMessageBox::No ? records->PutAside(m_sessionId) : records->Release(m_sessionId), this);
        m_sessionId = 0;
    }
    event->accept();
}
