// Practice on screen: a keystroke in the answer grid, opening the practice window on a sheet,
// the progress window over 1,000 sessions, switching it between two children of 2,000 sessions
// each, and the size of the records after 10,000 sessions.
// Run with `make bench`.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "generator/BuildSheets.h"
#include "practice/Clock.h"
#include "sheets/PracticeSheets.h"
#include "ui/practice/PracticeStore.h"
#include "ui/practice/PracticeWindow.h"
#include "ui/practice/ProgressWindow.h"

namespace {

QApplication& Application() {
    static int argc = 1;
    static char name[] = "pellarin_practice_bench";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return app;
}

QTemporaryDir& Folder() {
    static QTemporaryDir dir;
    return dir;
}

const PracticeSheet& Sheet() {
    static const PracticeSheet sheet =
        PracticeSheetsOf(QString::fromStdU16String(pellarin::BuildSheets(99, 1, u"难").outputText)).front();
    return sheet;
}

PracticeSetup Setup() { return {QStringLiteral("小明"), 1, Sheet().title, Sheet().problems, 0, {}, 0}; }

// Sessions of a child handed in over the days, each with a few misses, as a year of practice.
void Record(PracticeRecords& records, int sessions, const std::string& child = "小明") {
    const practice::SystemClock clock;
    for (int n = 0; n < sessions; ++n) {
        const std::int64_t when = 1'765'195'200'000 + n * 3'600'000LL;
        const auto id = records.Begin(child, n % 40 + 1, Sheet().title.toStdString(), Sheet().problems, when);
        practice::Session session(Sheet().problems);
        for (std::size_t i = 0; i < Sheet().problems.size(); ++i) {
            const int value = Sheet().problems[i].value + ((i * 7 + n) % 23 == 0 ? 1 : 0);
            session.SetAnswer(i, std::to_string(value), when + 1000);
        }
        session.HandIn(when + 300'000 + n % 120 * 1000);
        records.Finish(id, session, when + 300'000, practice::LocalDay(when));
    }
}

// One digit typed into a field and taken back, everything it sets off included: the session,
// the time, and the write of the answers to the records once the keys are handled.
void Keystroke(benchmark::State& state, const QString& recordsPath) {
    Application();
    const practice::SystemClock clock;
    auto window = std::make_unique<PracticeWindow>(Setup(), std::make_shared<PracticeStore>(recordsPath), clock, 1, nullptr);
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get())) state.SkipWithError("window not shown");
    QLineEdit* field = window->findChild<QLineEdit*>(QStringLiteral("Answer_1"));
    field->setFocus();
    bool digit = true;
    for (auto _ : state) {
        QTest::keyClick(field, digit ? Qt::Key_5 : Qt::Key_Backspace);
        QCoreApplication::processEvents();
        digit = !digit;
    }
}

void BM_KeystrokeInTheGridWrittenToTheRecords(benchmark::State& state) {
    Keystroke(state, Folder().filePath(QStringLiteral("keys.sqlite")));
}
BENCHMARK(BM_KeystrokeInTheGridWrittenToTheRecords)->Unit(benchmark::kMicrosecond);

void BM_KeystrokeInTheGridNotSaving(benchmark::State& state) {
    // A records file that cannot be opened (its folder is a file): the grid's own work alone.
    QFile blocker(Folder().filePath(QStringLiteral("a-file")));
    blocker.open(QIODevice::WriteOnly);
    Keystroke(state, blocker.fileName() + QStringLiteral("/practice.sqlite"));
}
BENCHMARK(BM_KeystrokeInTheGridNotSaving)->Unit(benchmark::kMicrosecond);

void BM_OpenPracticeWindowOnASheet(benchmark::State& state) {
    Application();
    const practice::SystemClock clock;
    auto store = std::make_shared<PracticeStore>(Folder().filePath(QStringLiteral("open.sqlite")));
    for (auto _ : state) {
        auto window = std::make_unique<PracticeWindow>(Setup(), store, clock, 1, nullptr);
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get())) state.SkipWithError("window not shown");
    }
}
BENCHMARK(BM_OpenPracticeWindowOnASheet)->Unit(benchmark::kMillisecond);

void BM_ProgressWindowOf1000Sessions(benchmark::State& state) {
    Application();
    const QString path = Folder().filePath(QStringLiteral("progress.sqlite"));
    auto store = std::make_shared<PracticeStore>(path);
    if (store->records()->Finished("小明").value().empty()) Record(*store->records(), 1000);
    for (auto _ : state) {
        auto window = std::make_unique<ProgressWindow>(store, QStringLiteral("小明"), nullptr);
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get())) state.SkipWithError("window not shown");
        state.PauseTiming();
        static bool saved = window->grab().save(QStringLiteral(PELLARIN_BUILD_DIR "/pellarin-practice-progress-1000.png"));
        (void)saved;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ProgressWindowOf1000Sessions)->Unit(benchmark::kMillisecond);

// One switch of the child chosen in 练习记录, with every row in the table and the chart drawn.
void BM_ProgressWindowSwitchingChildOf2000Sessions(benchmark::State& state) {
    Application();
    const QString path = Folder().filePath(QStringLiteral("switching.sqlite"));
    auto store = std::make_shared<PracticeStore>(path);
    for (const char* child : {"小明", "小红"}) {
        if (store->records()->Finished(child).value().empty()) Record(*store->records(), 2000, child);
    }
    ProgressWindow window(store, QStringLiteral("小明"), nullptr);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) state.SkipWithError("window not shown");
    auto* child = window.findChild<QComboBox*>(QStringLiteral("ProgressChild"));
    int which = 0;
    for (auto _ : state) {
        child->setCurrentText(++which % 2 ? QStringLiteral("小红") : QStringLiteral("小明"));
        QApplication::processEvents();  // painted, as the user sees it
    }
}
BENCHMARK(BM_ProgressWindowSwitchingChildOf2000Sessions)->Unit(benchmark::kMillisecond);

void BM_RecordsFileOf10000Sessions(benchmark::State& state) {
    for (auto _ : state) {
        const QString path = Folder().filePath(QStringLiteral("size.sqlite"));
        QFile::remove(path);
        {
            PracticeStore store(path);
            Record(*store.records(), 10'000);
        }
        state.counters["MB"] = QFileInfo(path).size() / 1e6;
    }
}
BENCHMARK(BM_RecordsFileOf10000Sessions)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
