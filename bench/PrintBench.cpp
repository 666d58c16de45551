// 60 sheets with their answer keys to a PDF file: the time and the file's size. Run with
// `make bench`.
#include <benchmark/benchmark.h>

#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include "generator/BuildSheets.h"
#include "print/SheetsPdf.h"

namespace {

void BM_SixtySheetsWithAnswersToPdf(benchmark::State& state) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "pellarin_print_bench";
    char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    pellarin::RandomSource source(5, [] { return pellarin::ClockReading{0}; });
    const QString text = QString::fromStdU16String(pellarin::BuildSheets(source, 99, 60, u"中").outputText);
    QTemporaryDir folder;
    int run = 0;
    qint64 size = 0;
    for (auto _ : state) {
        const QString path = folder.filePath(QStringLiteral("sheets-%1.pdf").arg(run++));
        sheets_pdf::Write(path.toStdString(), text, {sheet_pages::Answers::Full, {}, {}}, false);
        state.PauseTiming();
        size = QFileInfo(path).size();
        QFile::remove(path);
        state.ResumeTiming();
    }
    state.counters["pages"] = 120;
    state.counters["file_KiB"] = static_cast<double>(size) / 1024;
}
BENCHMARK(BM_SixtySheetsWithAnswersToPdf)->Unit(benchmark::kMillisecond);

}  // namespace
