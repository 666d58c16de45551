#include "PracticeCommands.h"

#include <QAction>
#include <QShortcut>
#include <memory>
#include <random>

#include "PracticeStore.h"
#include "PracticeWindow.h"
#include "ProgressWindow.h"
#include "StartDialog.h"
#include "practice/Clock.h"
#include "sheets/PracticeSheets.h"
#include "ui/MessageBox.h"
#include "ui/OutputBox.h"

namespace {

const practice::Clock*& ClockForTests() {
    static const practice::Clock* clock = nullptr;
    return clock;
}

std::uint32_t& SeedForTests() {
    static std::uint32_t seed = 0;
    return seed;
}

const practice::Clock& TheClock() {
    static const practice::SystemClock system;
    return ClockForTests() ? *ClockForTests() : system;
}

std::uint32_t DrillSeed() { return SeedForTests() ? SeedForTests() : std::random_device{}(); }

const QString kTitle = QStringLiteral("在屏幕上练习");

}  // namespace

void PracticeCommands::SetClockForTests(const practice::Clock* clock) { ClockForTests() = clock; }
void PracticeCommands::SetDrillSeedForTests(std::uint32_t seed) { SeedForTests() = seed; }

PracticeCommands::PracticeCommands(QWidget* window, OutputBox* output)
    : QObject(window), m_window(window), m_output(output) {
    auto* shortcut = new QShortcut(QKeySequence(Qt::Key_F6), window);
    connect(shortcut, &QShortcut::activated, this, &PracticeCommands::Start);
    auto* start = new QAction(QStringLiteral("在屏幕上练习…\tF6"), this);
    start->setObjectName(QStringLiteral("PracticeOnScreen"));
    connect(start, &QAction::triggered, this, &PracticeCommands::Start);
    auto* progress = new QAction(QStringLiteral("练习记录…"), this);
    progress->setObjectName(QStringLiteral("PracticeProgress"));
    connect(progress, &QAction::triggered, this, [this] { ShowProgress(); });
    auto* separator = new QAction(this);
    separator->setSeparator(true);
    m_output->addMenuActions({separator, start, progress});
    m_output->setToolTip(m_output->toolTip() + QStringLiteral("；在屏幕上练习（F6）"));
}

void PracticeCommands::Open(const std::shared_ptr<PracticeStore>& store, PracticeSetup setup) {
    auto* window = new PracticeWindow(std::move(setup), store, TheClock(), DrillSeed(), m_window);
    connect(window, &PracticeWindow::progressRequested, this, &PracticeCommands::ShowProgress);
    window->show();
    window->activateWindow();
}

bool PracticeCommands::TakeUpKeptSession(const std::shared_ptr<PracticeStore>& store) {
    PracticeRecords* records = store->records();
    std::optional<PracticeRecords::StoredSession> kept;
    // A session open in a window, of this program or of another copy of it, is claimed by that
    // window and not offered here.
    if (!records || !store->CheckRead(records->Unfinished(kept), m_window) || !kept) return false;
    int answered = 0;
    for (const auto& answer : kept->answers) answered += !answer.empty();
    const auto answer = MessageBox::Question(
        m_window, kTitle,
        QStringLiteral("%1 做第 %2 份试卷时还没有交卷（已经答了 %3 道题）。现在接着做吗？\r\n"
                       "选“否”，就放下那一次，开始新的练习。")
            .arg(QString::fromStdString(kept->child))
            .arg(kept->sheet)
            .arg(answered),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer == QMessageBox::Cancel) return true;
    // Another copy of the program may have taken the session up while the question was open:
    // then it is that program's, and this one starts a new sheet.
    const bool done = answer == QMessageBox::Yes ? records->Claim(kept->id) : records->PutAside(kept->id);
    if (!done) {
        if (records->lastError().failure != PracticeRecords::Failure::Gone) store->Check(false, m_window);
        return false;
    }
    if (answer == QMessageBox::No) return false;
    for (auto& problem : kept->problems) problem = PracticeProblem(QString::fromStdString(problem.text));
    Open(store, {QString::fromStdString(kept->child), kept->sheet, QString::fromStdString(kept->title),
                 std::move(kept->problems), kept->id, std::move(kept->answers), kept->elapsedMs});
    return true;
}

void PracticeCommands::Start() {
    auto store = std::make_shared<PracticeStore>();
    store->ReportOpening(m_window);
    if (TakeUpKeptSession(store)) return;

    const std::vector<PracticeSheet> sheets = PracticeSheetsOf(m_output->text());
    if (sheets.empty()) {
        MessageBox::Information(
            m_window, kTitle,
            m_output->text().trimmed().isEmpty()
                ? QStringLiteral("输出框里还没有题目，没有可以练习的试卷。\r\n请先点击“开始出题”，出题后再按 F6 在屏幕上练习。")
                : QStringLiteral("输出框里没有完整的试卷（标题、表头、16 行两数题和 5 行三数题）可以练习。\r\n"
                                 "请点击“开始出题”重新出题，再按 F6 在屏幕上练习。"));
        return;
    }
    QStringList children;
    if (PracticeRecords* records = store->records()) {
        const auto names = records->Children();
        if (store->CheckRead(names.has_value(), m_window)) {
            for (const auto& name : *names) children << QString::fromStdString(name);
        }
    }
    QList<int> numbers;
    std::vector<std::vector<practice::Problem>> problems;
    for (const auto& sheet : sheets) {
        numbers << sheet.number;
        problems.push_back(sheet.problems);
    }
    StartDialog dialog(children, numbers,
                       [&](const QString& child) {
                           PracticeRecords* records = store->records();
                           auto done = records ? records->FinishedSheets(child.toStdString(), problems) : std::nullopt;
                           return done ? *done : std::set<std::size_t>{};
                       },
                       m_window);
    if (dialog.exec() != QDialog::Accepted) return;
    const PracticeSheet& sheet = sheets[static_cast<std::size_t>(dialog.sheetIndex())];
    Open(store, {dialog.child(), sheet.number, sheet.title, sheet.problems, 0, {}, 0, m_output->madeMs()});
}

void PracticeCommands::ShowProgress(const QString& child) {
    auto store = std::make_shared<PracticeStore>();
    store->ReportOpening(m_window);
    auto* window = new ProgressWindow(std::move(store), child, m_window);
    window->show();
    window->activateWindow();
}
