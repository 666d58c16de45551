// Speed of the generation run. Run with `make bench` (median of five repetitions).
#include <benchmark/benchmark.h>

#include <time.h>

#include "generator/BuildSheets.h"
#include "bench/NaiveBuildSheets.h"

namespace pellarin {
namespace {

constexpr const char16_t* kDifficulties[] = {u"难", u"中", u"易"};

// Whole runs at limit 99 with the program's source and the real clock.
void BM_BuildSheets(benchmark::State& state) {
    const char16_t* difficulty = kDifficulties[state.range(0)];
    const auto sheets = static_cast<std::int16_t>(state.range(1));
    for (auto _ : state) {
        auto result = BuildSheets(99, sheets, difficulty);
        benchmark::DoNotOptimize(result.outputText.data());
    }
}
BENCHMARK(BM_BuildSheets)->ArgsProduct({{0, 1, 2}, {1, 60}})->ArgNames({"difficulty", "sheets"})
    ->Unit(benchmark::kMillisecond);

// The literal reading: precise clock per attempt, floating-point draws, text layout of every
// accepted candidate and string comparison against up to 100 slots.
ClockReading PreciseClock() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<ClockReading>(now.tv_sec) * 1000000000u + static_cast<ClockReading>(now.tv_nsec);
}

void BM_NaiveBuildSheets(benchmark::State& state) {
    const char16_t* difficulty = kDifficulties[state.range(0)];
    RandomSource source(1, &PreciseClock);
    for (auto _ : state) {
        auto text = naive::BuildSheets(source, 99, 60, difficulty);
        benchmark::DoNotOptimize(text.data());
    }
}
BENCHMARK(BM_NaiveBuildSheets)->DenseRange(0, 2)->ArgName("difficulty")->Unit(benchmark::kMillisecond);

// One attempt of each kind: re-seed from the clock, draw, test.
void BM_TwoOperandAttempt(benchmark::State& state) {
    RandomSource source(1);
    const auto d = static_cast<Difficulty>(state.range(0));
    for (auto _ : state) {
        source.Reseed();
        benchmark::DoNotOptimize(TryTwoOperand(source, d, 99));
    }
}
BENCHMARK(BM_TwoOperandAttempt)->DenseRange(0, 2)->ArgName("difficulty");

void BM_ChainedAttempt(benchmark::State& state) {
    RandomSource source(1);
    const auto d = static_cast<Difficulty>(state.range(0));
    for (auto _ : state) {
        source.Reseed();
        benchmark::DoNotOptimize(TryChained(source, d, 99));
    }
}
BENCHMARK(BM_ChainedAttempt)->DenseRange(0, 2)->ArgName("difficulty");

void BM_ClockRead(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(state.range(0) ? PreciseClock() : SystemClockReading());
}
BENCHMARK(BM_ClockRead)->Arg(0)->Arg(1)->ArgName("precise");

}  // namespace
}  // namespace pellarin
