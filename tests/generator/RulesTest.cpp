#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "generator/ProblemRules.h"
#include "generator/Workability.h"
#include "support/ScriptedSource.h"

namespace pellarin {
namespace {

constexpr auto kHard = Difficulty::Hard;
constexpr auto kMedium = Difficulty::Medium;
constexpr auto kEasy = Difficulty::Easy;
constexpr auto kAdd = Op::Add;
constexpr auto kSub = Op::Sub;

struct Tally {
    long long add = 0, sub = 0;
};

Tally CountTwoOperand(Difficulty d, int limit) {
    Tally t;
    for (int a = 1; a <= limit; ++a)
        for (int b = 1; b <= limit; ++b) {
            t.add += AcceptsTwoOperand(d, limit, {a, kAdd, b});
            t.sub += AcceptsTwoOperand(d, limit, {a, kSub, b});
        }
    return t;
}

std::map<int, long long> CountChainedByPair(Difficulty d, int limit) {
    std::map<int, long long> pairs;  // 0 ＋＋, 1 ＋－, 2 －＋, 3 －－
    for (int a = 1; a <= limit; ++a)
        for (int b = 1; b <= limit; ++b)
            for (int c = 1; c <= limit; ++c)
                for (int pair = 0; pair < 4; ++pair) {
                    const ChainedProblem p{a, static_cast<Op>(pair >> 1), b, static_cast<Op>(pair & 1), c};
                    pairs[pair] += AcceptsChained(d, limit, p);
                }
    return pairs;
}

// Every draw at limit 99, counted against the published tables.
TEST(TwoOperandRules, ExhaustiveCountsAtLimit99) {
    const Tally hard = CountTwoOperand(kHard, 99), medium = CountTwoOperand(kMedium, 99),
                easy = CountTwoOperand(kEasy, 99);
    EXPECT_EQ(hard.add, 1008);
    EXPECT_EQ(hard.sub, 1452);
    EXPECT_EQ(medium.add, 4836);
    EXPECT_EQ(medium.sub, 4278);
    EXPECT_EQ(easy.add, 2152);
    EXPECT_EQ(easy.sub, 1951);
}

TEST(ChainedRules, ExhaustiveCountsAtLimit99) {
    const auto hard = CountChainedByPair(kHard, 99);
    EXPECT_EQ(hard.at(0), 2940);
    EXPECT_EQ(hard.at(1), 28560);
    EXPECT_EQ(hard.at(2), 33600);
    EXPECT_EQ(hard.at(3), 4200);
    const auto medium = CountChainedByPair(kMedium, 99);
    EXPECT_EQ(medium.at(0), 156849);
    EXPECT_EQ(medium.at(1), 323400);
    EXPECT_EQ(medium.at(2), 328350);
    EXPECT_EQ(medium.at(3), 161700);
    const auto easy = CountChainedByPair(kEasy, 99);
    EXPECT_EQ(easy.at(0), 21566);
    EXPECT_EQ(easy.at(1), 74020);
    EXPECT_EQ(easy.at(2), 81968);
    EXPECT_EQ(easy.at(3), 15470);
}

TEST(TwoOperandRules, CarryBorrowAndBounds) {
    EXPECT_FALSE(AcceptsTwoOperand(kHard, 99, {15, kAdd, 25}));  // ones sum exactly 10: no carry
    EXPECT_TRUE(AcceptsTwoOperand(kHard, 99, {16, kAdd, 25}));
    EXPECT_TRUE(AcceptsTwoOperand(kEasy, 99, {15, kAdd, 25}));
    EXPECT_FALSE(AcceptsTwoOperand(kEasy, 99, {16, kAdd, 25}));
    EXPECT_FALSE(AcceptsTwoOperand(kHard, 99, {20, kSub, 14}));  // result 6
    EXPECT_TRUE(AcceptsTwoOperand(kHard, 99, {21, kSub, 14}));
    EXPECT_TRUE(AcceptsTwoOperand(kEasy, 99, {35, kSub, 15}));  // equal ones digits: no borrow
    EXPECT_TRUE(AcceptsTwoOperand(kEasy, 99, {10, kAdd, 11}));
    EXPECT_FALSE(AcceptsTwoOperand(kHard, 99, {35, kSub, 15}));
    EXPECT_FALSE(AcceptsTwoOperand(kHard, 99, {10, kAdd, 11}));
    for (Difficulty d : {kHard, kEasy}) {
        EXPECT_FALSE(AcceptsTwoOperand(d, 99, {11, kAdd, 10}));
        for (int a = 1; a <= 99; ++a)
            for (int b = 1; b <= 10; ++b) {
                EXPECT_FALSE(AcceptsTwoOperand(d, 99, {a, kAdd, b}));
                EXPECT_FALSE(AcceptsTwoOperand(d, 99, {a, kSub, b}));
            }
    }
    EXPECT_TRUE(AcceptsTwoOperand(kMedium, 99, {1, kAdd, 6}));
    EXPECT_TRUE(AcceptsTwoOperand(kMedium, 99, {8, kSub, 1}));
    EXPECT_FALSE(AcceptsTwoOperand(kMedium, 99, {1, kAdd, 5}));
    EXPECT_FALSE(AcceptsTwoOperand(kMedium, 99, {7, kSub, 1}));
    EXPECT_TRUE(AcceptsTwoOperand(kMedium, 99, {45, kAdd, 54}));
    EXPECT_FALSE(AcceptsTwoOperand(kMedium, 98, {45, kAdd, 54}));
}

TEST(TwoOperandRules, SmallestSettings) {
    EXPECT_EQ(CountTwoOperand(kMedium, 7).add, 6);
    EXPECT_EQ(CountTwoOperand(kMedium, 7).sub, 0);
    EXPECT_TRUE(AcceptsTwoOperand(kEasy, 18, {18, kSub, 11}));
    EXPECT_EQ(CountTwoOperand(kEasy, 18).add + CountTwoOperand(kEasy, 18).sub, 1);
    const Tally hard20 = CountTwoOperand(kHard, 20);
    EXPECT_EQ(hard20.add + hard20.sub, 3);
    for (int b : {11, 12, 13}) EXPECT_TRUE(AcceptsTwoOperand(kHard, 20, {20, kSub, b}));
    const Tally easy20 = CountTwoOperand(kEasy, 20);
    EXPECT_EQ(easy20.add + easy20.sub, 3);
    EXPECT_EQ(CountTwoOperand(kMedium, 6).add + CountTwoOperand(kMedium, 6).sub, 0);
    EXPECT_EQ(CountTwoOperand(kEasy, 17).add + CountTwoOperand(kEasy, 17).sub, 0);
    EXPECT_EQ(CountTwoOperand(kHard, 19).add + CountTwoOperand(kHard, 19).sub, 0);
    EXPECT_EQ(CountTwoOperand(kHard, 32).add + CountTwoOperand(kHard, 32).sub, 72);
    EXPECT_EQ(CountTwoOperand(kHard, 31).add + CountTwoOperand(kHard, 31).sub, 55);
}

TEST(ChainedRules, StepsRangesAndEdgeProblems) {
    EXPECT_TRUE(AcceptsChained(kHard, 99, {16, kAdd, 15, kSub, 12}));
    EXPECT_TRUE(AcceptsChained(kHard, 99, {45, kSub, 18, kAdd, 27}));
    EXPECT_FALSE(AcceptsChained(kHard, 99, {16, kAdd, 15, kSub, 11}));  // 31 − 11 does not borrow
    EXPECT_FALSE(AcceptsChained(kHard, 99, {13, kAdd, 17, kSub, 20}));
    EXPECT_TRUE(AcceptsChained(kEasy, 99, {13, kAdd, 17, kSub, 20}));
    EXPECT_TRUE(AcceptsChained(kEasy, 99, {11, kAdd, 20, kSub, 11}));
    EXPECT_FALSE(AcceptsChained(kEasy, 99, {10, kAdd, 20, kSub, 11}));
    EXPECT_FALSE(AcceptsChained(kEasy, 99, {11, kAdd, 20, kSub, 15}));
    EXPECT_TRUE(AcceptsChained(kMedium, 99, {20, kSub, 20, kAdd, 7}));
    EXPECT_TRUE(AcceptsChained(kMedium, 99, {15, kAdd, 5, kSub, 20}));
    EXPECT_FALSE(AcceptsChained(kMedium, 99, {60, kAdd, 50, kSub, 40}));
    EXPECT_FALSE(AcceptsChained(kMedium, 99, {10, kSub, 20, kAdd, 30}));
    EXPECT_TRUE(AcceptsChained(kHard, 31, {12, kAdd, 19, kSub, 12}));
    EXPECT_FALSE(AcceptsChained(kHard, 30, {12, kAdd, 19, kSub, 12}));
}

TEST(ChainedRules, SmallestSettings) {
    auto total = [](const std::map<int, long long>& m) { return m.at(0) + m.at(1) + m.at(2) + m.at(3); };
    EXPECT_EQ(total(CountChainedByPair(kHard, 30)), 0);
    const auto hard31 = CountChainedByPair(kHard, 31);
    EXPECT_EQ(total(hard31), 80);
    EXPECT_EQ(hard31.at(1), 64);
    EXPECT_EQ(hard31.at(2), 16);
    EXPECT_EQ(total(CountChainedByPair(kEasy, 20)), 0);
    EXPECT_EQ(total(CountChainedByPair(kEasy, 21)), 1);
    EXPECT_TRUE(AcceptsChained(kEasy, 21, {21, kSub, 11, kAdd, 11}));
    EXPECT_EQ(total(CountChainedByPair(kEasy, 22)), 7);
    EXPECT_EQ(total(CountChainedByPair(kEasy, 23)), 22);
    for (int limit : {1, 2, 5, 13}) {
        EXPECT_EQ(total(CountChainedByPair(kMedium, limit)), static_cast<long long>(limit) * limit * limit);
    }
    EXPECT_TRUE(AcceptsChained(kMedium, 1, {1, kSub, 1, kAdd, 1}));
}

struct Fixed {
    std::uint32_t k;
    std::uint32_t Next24() { return k; }
};

// The integer draw must be the formula Int(u * n + 1) on the single-precision u, for every
// 16-bit n, negative ones included.
TEST(Draws, IntegerDrawEqualsFloatingPointFormula) {
    RandomSource source(42, [] { return ClockReading{0}; });
    for (int n : {-32768, -1000, -99, -1, 0, 1, 2, 7, 31, 99, 100, 12345, 32767}) {
        for (std::uint32_t k : {0u, 1u, (1u << 23) - 1, 1u << 23, (1u << 24) - 1}) {
            Fixed fixed{k};
            const float u = static_cast<float>(k) * 0x1p-24f;
            EXPECT_EQ(DrawOperand(fixed, n), static_cast<int>(std::floor(static_cast<double>(u) * n + 1.0)))
                << "n=" << n << " k=" << k;
        }
        for (int i = 0; i < 20000; ++i) {
            RandomSource copy = source;
            const float u = copy.NextUniform();
            const int drawn = DrawOperand(source, n);
            EXPECT_EQ(drawn, static_cast<int>(std::floor(static_cast<double>(u) * n + 1.0)));
            if (n >= 1) {
                EXPECT_GE(drawn, 1);
                EXPECT_LE(drawn, n);
            } else {
                EXPECT_LE(drawn, 1);
            }
        }
    }
    Fixed below{(1u << 23) - 1}, half{1u << 23}, top{(1u << 24) - 1};
    EXPECT_EQ(DrawOperator(below), 0);
    EXPECT_EQ(DrawOperator(half), 1);
    EXPECT_EQ(DrawOperator(top), 1);
}

TEST(Draws, AttemptsConsumeExactlyThreeAndFiveValues) {
    testing::ScriptedSource source;
    source.TwoOperand({45, kAdd, 38}, 99);
    source.TwoOperand({15, kAdd, 25}, 99);
    auto accepted = TryTwoOperand(source, kMedium, 99);
    ASSERT_TRUE(accepted);
    EXPECT_EQ(*accepted, (TwoOperandProblem{45, kAdd, 38}));
    EXPECT_FALSE(TryTwoOperand(source, kHard, 99));  // rejected, still three values used
    EXPECT_TRUE(source.ScriptUsedUp());

    source.Chained({16, kAdd, 15, kSub, 11}, 99);
    source.Chained({16, kAdd, 15, kSub, 12}, 99);
    EXPECT_FALSE(TryChained(source, kHard, 99));
    const auto chained = TryChained(source, kHard, 99);
    ASSERT_TRUE(chained);
    EXPECT_EQ(*chained, (ChainedProblem{16, kAdd, 15, kSub, 12}));
    EXPECT_TRUE(source.ScriptUsedUp());
}

// Accepted problems must be spread evenly over everything the rules admit.
TEST(Draws, AcceptedProblemsAreUniform) {
    RandomSource source(2026, [] { return ClockReading{123}; });
    constexpr int kLimit = 20;
    std::map<std::pair<int, int>, int> seen;
    int accepted = 0;
    for (int i = 0; i < 400000; ++i) {
        source.Reseed();
        if (const auto p = TryTwoOperand(source, kMedium, kLimit)) {
            ++seen[{p->a, static_cast<int>(p->op) * 100 + p->b}];
            ++accepted;
        }
    }
    const auto tally = CountTwoOperand(kMedium, kLimit);
    ASSERT_EQ(static_cast<long long>(seen.size()), tally.add + tally.sub);
    const double expected = static_cast<double>(accepted) / static_cast<double>(seen.size());
    double chiSquare = 0;
    for (const auto& [problem, count] : seen) chiSquare += (count - expected) * (count - expected) / expected;
    // 266 classes: the 99.99th percentile of chi-square with 265 degrees of freedom is about 355.
    EXPECT_LT(chiSquare, 360.0);
    EXPECT_NEAR(static_cast<double>(accepted) / 400000, (tally.add + tally.sub) / (2.0 * kLimit * kLimit), 0.005);
}

}  // namespace
}  // namespace pellarin
