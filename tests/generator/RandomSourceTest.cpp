#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "generator/RandomSource.h"

namespace pellarin {
namespace {

ClockReading now = 5'000'000;
ClockReading MovableClock() { return now; }

std::vector<std::uint32_t> Attempt(RandomSource& source) {
    source.Reseed();
    return {source.Next24(), source.Next24(), source.Next24()};
}

// Re-seeding from an unchanged clock reading must never bring the stream back: the attempts
// of one clock tick all see fresh values.
TEST(RandomSource, ReseedWithAnUnchangedClockNeverRepeats) {
    now = 5'000'000;
    RandomSource source(1, &MovableClock);
    std::set<std::vector<std::uint32_t>> seen;
    for (int attempt = 0; attempt < 200000; ++attempt) {
        EXPECT_TRUE(seen.insert(Attempt(source)).second) << "attempt " << attempt;
    }
}

TEST(RandomSource, SeedAndClockDecideTheStream) {
    now = 5'000'000;
    RandomSource a(99, &MovableClock), b(99, &MovableClock), c(100, &MovableClock);
    EXPECT_EQ(Attempt(a), Attempt(b));
    EXPECT_NE(Attempt(a), Attempt(c));
    now = 5'000'001;  // the same state, another reading
    const auto moved = Attempt(a);
    now = 5'000'000;
    EXPECT_NE(moved, Attempt(b));
}

// 24-bit values spread evenly: chi-square over 64 buckets with a million draws.
TEST(RandomSource, ValuesAreEvenlySpread) {
    now = 5'000'000;
    RandomSource source(11, &MovableClock);
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
    const float u = source.NextUniform();
    EXPECT_TRUE(u >= 0.0f && u < 1.0f);
}

}  // namespace
}  // namespace pellarin
