// Sheets of each child's own: 60 sheets for 60 children, each bringing back up to 10 of the
// child's missed facts, from a records file of 10,000 sessions, the records read included.
// Run with `make bench`.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>

#include "adapt/ChildSheets.h"
#include "records/PracticeRecords.h"

namespace {

pellarin::ClockReading StillClock() { return 0; }

std::string Child(int i) { return "学生" + std::to_string(i + 1); }

// 10,000 paper sessions of 60 children, each sheet with a few misses among 100 problems;
// made once into the build folder.
std::string Records() {
    const std::string path = PELLARIN_BUILD_DIR "/bench-adapt.sqlite";
    if (std::filesystem::exists(path)) return path;
    PracticeRecords::Error error;
    auto records = PracticeRecords::Open(path + ".part", error);
    if (!records) return {};
    std::mt19937 random(60);
    std::uniform_int_distribution<int> operand(10, 60);
    for (int s = 0; s < 10'000; ++s) {
        PracticeRecords::PaperSession paper;
        paper.child = Child(s % 60);
        paper.sheet = s / 60 + 1;
        paper.key = "bench-" + std::to_string(s);
        paper.markedMs = 1'765'000'000'000 + static_cast<std::int64_t>(s) * 3'600'000;
        paper.asked = 100;
        for (int i = 0; i < 100; ++i) {
            const int a = operand(random), b = operand(random) % 39 + 1;
            const practice::Problem problem{std::to_string(a) + "＋" + std::to_string(b) + "=", a + b};
            paper.problems.push_back(problem);
            paper.answers.push_back(std::to_string(problem.value));
            if (i % 25 == 0) paper.outcome.missed.push_back(problem);
            else ++paper.right, paper.outcome.right.push_back(problem);
        }
        if (records->RecordPaper(paper, 20'000 + s / 60) == 0) return {};
    }
    records.reset();
    std::filesystem::rename(path + ".part", path);
    return path;
}

void SixtyChildrensSheets(benchmark::State& state) {
    const std::string records = Records();
    if (records.empty()) {
        state.SkipWithError("the records could not be made");
        return;
    }
    std::vector<std::string> names;
    for (int i = 0; i < 60; ++i) names.push_back(Child(i));
    int placed = 0;
    for (auto _ : state) {
        pellarin::RandomSource source(7, &StillClock);
        const adapt::ChildSheets made = adapt::Make(source, names, records, 99, u"中", 10);
        placed = 0;
        for (int p : made.run.placed) placed += p;
        benchmark::DoNotOptimize(made.run.result.outputText.data());
    }
    state.counters["facts_placed"] = placed;
}
BENCHMARK(SixtyChildrensSheets)->Unit(benchmark::kMillisecond);

}  // namespace
