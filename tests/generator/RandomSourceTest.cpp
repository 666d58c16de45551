#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "generator/RandomSource.h"
#include "generator/Workability.h"

namespace pellarin {
namespace {

ClockReading FrozenClock() { return 5'000'000; }

std::vector<std::uint32_t> ThreeDraws(RandomSource& source) {
    source.Reseed();
    return {source.Next24(), source.Next24(), source.Next24()};
}

// Re-seeding from an unchanged clock reading must never bring the stream back: the attempts
// of one clock tick all see fresh values.
TEST(RandomSource, ReseedWithAnUnchangedClockNeverRepeats) {
    RandomSource source(1, &FrozenClock);
    std::set<std::vector<std::uint32_t>> seen;
    std::set<std::uint64_t> states;
    for (int attempt = 0; attempt < 200000; ++attempt) {
        EXPECT_TRUE(states.insert(source.Counter()).second);
        EXPECT_TRUE(seen.insert(ThreeDraws(source)).second) << "attempt " << attempt;
    }
}

TEST(RandomSource, SameSeedAndClockGiveTheSameStream) {
    RandomSource a(99, &FrozenClock), b(99, &FrozenClock), c(100, &FrozenClock);
    const auto fromA = ThreeDraws(a);
    EXPECT_EQ(fromA, ThreeDraws(b));
    EXPECT_NE(fromA, ThreeDraws(c));
    for (int i = 0; i < 1000; ++i) {
        const float u = a.NextUniform();
        EXPECT_GE(u, 0.0f);
        EXPECT_LT(u, 1.0f);
    }
}

TEST(RandomSource, TheClockChangesTheStream) {
    static ClockReading now = 0;
    RandomSource a(3, [] { return now; }), b(3, &FrozenClock);
    now = 5'000'000;
    EXPECT_EQ(ThreeDraws(a), ThreeDraws(b));
    now = 5'000'001;
    EXPECT_NE(ThreeDraws(a), ThreeDraws(b));
}

TEST(RandomSource, SystemClockMoves) {
    const ClockReading first = SystemClockReading();
    EXPECT_GT(first, 1'600'000'000ULL * 1'000'000'000ULL);  // after 2020
    ClockReading later = first;
    for (int i = 0; i < 50'000'000 && later == first; ++i) later = SystemClockReading();
    EXPECT_GT(later, first);
}

// 24-bit values spread evenly: chi-square over 64 buckets with a million draws.
TEST(RandomSource, ValuesAreEvenlySpread) {
    RandomSource source(11, &FrozenClock);
    std::vector<int> buckets(64);
    constexpr int kDraws = 1'000'000;
    for (int i = 0; i < kDraws; ++i) {
        if (i % 3 == 0) source.Reseed();  // as the run uses it
        ++buckets[source.Next24() >> 18];
    }
    double chiSquare = 0;
    const double expected = kDraws / 64.0;
    for (int count : buckets) chiSquare += (count - expected) * (count - expected) / expected;
    EXPECT_LT(chiSquare, 120.0);  // 63 degrees of freedom: 99.99th percentile is about 115
}

TEST(Workability, NeedsAndSmallestLimits) {
    EXPECT_EQ(DistinctProblemsNeeded(false, 1), 63);
    EXPECT_EQ(DistinctProblemsNeeded(false, 2), 64);
    EXPECT_EQ(DistinctProblemsNeeded(true, 1), 16);
    EXPECT_EQ(DistinctProblemsNeeded(true, 60), 17);
    EXPECT_EQ(SmallestWorkableLimit(Difficulty::Hard, 40), 32);
    EXPECT_EQ(SmallestWorkableLimit(Difficulty::Easy, 40), 28);
    EXPECT_EQ(SmallestWorkableLimit(Difficulty::Medium, 40), 12);
    EXPECT_EQ(SmallestWorkableLimit(Difficulty::Hard, 1), 32);
    EXPECT_EQ(CountTwoOperandProblems(Difficulty::Hard, 31, 1000), 55);
    EXPECT_EQ(CountChainedProblems(Difficulty::Hard, 31, 1000), 80);
    EXPECT_EQ(CountTwoOperandProblems(Difficulty::Hard, 99, 64), 64);  // stops once enough
    EXPECT_TRUE(IsWorkable(Difficulty::Hard, 32767, 60));
    EXPECT_FALSE(IsWorkable(Difficulty::Medium, -32768, 60));
    EXPECT_TRUE(IsWorkable(Difficulty::Hard, 5, 0));
}

// Between two limits the forms decide: a single sheet needs one problem fewer per form.
TEST(Workability, FirstSheetNeedsOneFewer) {
    for (Difficulty d : {Difficulty::Hard, Difficulty::Medium, Difficulty::Easy}) {
        for (int limit = 1; limit <= 60; ++limit) {
            const int two = CountTwoOperandProblems(d, limit, 1000);
            const int chained = CountChainedProblems(d, limit, 1000);
            EXPECT_EQ(IsWorkable(d, limit, 1), two >= 63 && chained >= 16) << limit;
            EXPECT_EQ(IsWorkable(d, limit, 2), two >= 64 && chained >= 17) << limit;
        }
    }
}

}  // namespace
}  // namespace pellarin
