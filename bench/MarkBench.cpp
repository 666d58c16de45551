// Marking a class's scans: 40 pages of sheets filled in by hand and scanned at 300 dpi in grey,
// one PDF, marked on every core. Reports the time per page spent reading the pictures out of
// the file, registering the pages (squares, code, straightening) and reading the answers.
// The scan is made once by tests/markrun/make_scans.py (held-out handwriting) into the build.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "markrun/MarkRun.h"

namespace {

std::string Scan() {
    const std::string folder = PELLARIN_BUILD_DIR "/bench-scan";
    const std::string pdf = folder + "/scan.pdf";
    if (!std::filesystem::exists(pdf)) {
        const std::string command = "/usr/bin/python3 " PELLARIN_SOURCE_DIR "/tests/markrun/make_scans.py " PELLARIN_SHEETS_TOOL
                                    " " PELLARIN_DIGITS_DIR " " + folder + " 40 11 --grey-300 > /dev/null";
        if (std::system(command.c_str()) != 0) return {};
    }
    return pdf;
}

void MarkForty(benchmark::State& state) {
    const std::string pdf = Scan();
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
