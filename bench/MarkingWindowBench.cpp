// Marking in the window: the window opened on 40 marked pages (4,000 answers, 400 to confirm),
// one key in 核对, and how soon the first page of a real 40-page scan is shown after opening it.
// Run with `make bench`.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <random>

#include "BenchScan.h"
#include "practice/Clock.h"
#include "ui/marking/ConfirmPanel.h"
#include "ui/marking/MarkingWindow.h"
#include "ui/practice/PracticeStore.h"

namespace {

QApplication& Application() {
    static int argc = 1;
    static char name[] = "pellarin_marking_bench";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    static QTemporaryDir records;
    PracticeStore::SetPathForTests(records.filePath(QStringLiteral("practice.sqlite")));
    return app;
}

const practice::SystemClock kClock;

// Forty pages as the reader hands them over: 100 answers each, 10 to confirm and 10 错, each of
// those with its cut-out.
std::vector<std::shared_ptr<MarkingBook::Page>> FortyPages() {
    std::mt19937 random(40);
    std::vector<std::shared_ptr<MarkingBook::Page>> pages;
    const QImage cutout(160, 120, QImage::Format_Grayscale8);
    for (int p = 0; p < 40; ++p) {
        auto page = std::make_shared<MarkingBook::Page>();
        page->page.file = "scan.pdf";
        page->page.page = p + 1;
        scan::PageMarks& marks = page->page.marks;
        marks.recognised = true;
        marks.sheet.sheet = p + 1;
        marks.sheet.name = "学生" + std::to_string(p + 1);
        for (int i = 0; i < 100; ++i) {
            scan::ProblemMark mark;
            mark.number = i + 1;
            mark.problem = std::to_string(10 + i % 80) + "＋" + std::to_string(i % 9 + 1) + "=";
            mark.result = 10 + i % 80 + i % 9 + 1;
            mark.reading.digits = std::to_string(*mark.result);
            mark.reading.where = {i % 5 * 290.0, i / 5 * 80.0, 112, 72};
            mark.verdict = i % 10 == 3 ? scan::Verdict::Doubtful : i % 10 == 7 ? scan::Verdict::Wrong : scan::Verdict::Right;
            mark.certainty = std::uniform_real_distribution<double>(0, 1)(random);
            marks.sheet.problems.push_back(mark.problem);
            marks.marks.push_back(mark);
            if (mark.verdict != scan::Verdict::Right) page->cutouts[i] = cutout;
        }
        pages.push_back(page);
    }
    return pages;
}

MarkingWindow* Opened(const std::vector<std::shared_ptr<MarkingBook::Page>>& pages) {
    auto* window = new MarkingWindow({}, kClock, nullptr);
    for (const auto& page : pages) window->Arrived(std::make_shared<MarkingBook::Page>(*page));
    window->show();
    window->StartConfirming();
    QCoreApplication::sendPostedEvents();
    return window;
}

void OpenFortyPages(benchmark::State& state) {
    Application();
    const auto pages = FortyPages();
    for (auto _ : state) {
        MarkingWindow* window = Opened(pages);
        state.PauseTiming();
        delete window;
        state.ResumeTiming();
    }
}
BENCHMARK(OpenFortyPages)->Unit(benchmark::kMillisecond);

void KeyInConfirming(benchmark::State& state) {
    Application();
    const auto pages = FortyPages();
    MarkingWindow* window = Opened(pages);
    for (auto _ : state) {
        auto* panel = window->findChild<ConfirmPanel*>();
        if (!panel->current() || panel->inWrongPass()) {
            state.PauseTiming();
            delete window;
            window = Opened(pages);
            state.ResumeTiming();
        }
        QTest::keyClick(window->findChild<QLineEdit*>(QStringLiteral("ConfirmValue")), Qt::Key_Return);
    }
    delete window;
}
BENCHMARK(KeyInConfirming)->Unit(benchmark::kMillisecond);

void FirstPageOfFortyShown(benchmark::State& state) {
    Application();
    const std::string pdf = FortyPageScan();
    if (pdf.empty()) {
        state.SkipWithError("the scan could not be made");
        return;
    }
    for (auto _ : state) {
        QElapsedTimer shown;
        shown.start();
        auto* window = new MarkingWindow({QString::fromStdString(pdf)}, kClock, nullptr);
        window->show();
        auto* table = window->findChild<QTableWidget*>(QStringLiteral("MarkedSheets"));
        while (table->rowCount() == 0 && shown.elapsed() < 60000) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        state.SetIterationTime(shown.nsecsElapsed() / 1e9);
        state.PauseTiming();
        delete window;  // reading is cancelled
        state.ResumeTiming();
    }
}
BENCHMARK(FirstPageOfFortyShown)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

}  // namespace
