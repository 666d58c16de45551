// Marking a class's scans: 40 pages of sheets filled in by hand and scanned at 300 dpi in grey,
// one PDF, marked on every core. Reports the time per page spent reading the pictures out of
// the file, registering the pages (squares, code, straightening) and reading the answers.
// The scan is made once by tests/markrun/make_scans.py (held-out handwriting) into the build.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <string>

#include "BenchScan.h"
#include "markrun/MarkRun.h"

namespace {

void MarkForty(benchmark::State& state) {
    const std::string pdf = FortyPageScan();
    if (pdf.empty()) {
        state.SkipWithError("the scan could not be made");
        return;
    }
    double reading = 0, registration = 0, recognition = 0;
    int pages = 0;
    for (auto _ : state) {
        int unreadable = 0;
        markrun::MarkFiles({pdf}, {}, [&](markrun::MarkedPage& page) {
            reading += page.readingSeconds;
            registration += page.marks.registrationSeconds;
            recognition += page.marks.recognitionSeconds;
            ++pages;
        }, unreadable);
    }
    state.counters["pages"] = pages / static_cast<double>(state.iterations());
    state.counters["reading_ms_per_page"] = 1000 * reading / pages;
    state.counters["registration_ms_per_page"] = 1000 * registration / pages;
    state.counters["recognition_ms_per_page"] = 1000 * recognition / pages;
}
BENCHMARK(MarkForty)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
