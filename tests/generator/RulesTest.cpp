#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "generator/ProblemRules.h"
#include "support/ScriptedSource.h"

namespace pellarin {
namespace {

constexpr auto H = Difficulty::Hard, M = Difficulty::Medium, E = Difficulty::Easy;
constexpr auto kAdd = Op::Add, kSub = Op::Sub;

// Accepted problems over every draw, by operator: [＋, －] for two operands, [＋＋, ＋－, －＋, －－]
// for chained ones.
std::array<long long, 2> TwoOperand(Difficulty d, int limit) {
    std::array<long long, 2> n{};
    for (int a = 1; a <= limit; ++a)
        for (int b = 1; b <= limit; ++b)
            for (int op = 0; op < 2; ++op) n[op] += AcceptsTwoOperand(d, limit, {a, Op(op), b});
    return n;
}
std::array<long long, 4> Chained(Difficulty d, int limit) {
    std::array<long long, 4> n{};
    for (int a = 1; a <= limit; ++a)
        for (int b = 1; b <= limit; ++b)
            for (int c = 1; c <= limit; ++c)
                for (int pair = 0; pair < 4; ++pair)
                    n[pair] += AcceptsChained(d, limit, {a, Op(pair >> 1), b, Op(pair & 1), c});
    return n;
}
template <std::size_t N>
long long Total(const std::array<long long, N>& n) {
    long long t = 0;
    for (long long x : n) t += x;
    return t;
}

TEST(Rules, ExhaustiveCountsAtLimit99) {
    EXPECT_EQ(TwoOperand(H, 99), (std::array<long long, 2>{1008, 1452}));
    EXPECT_EQ(TwoOperand(M, 99), (std::array<long long, 2>{4836, 4278}));
    EXPECT_EQ(TwoOperand(E, 99), (std::array<long long, 2>{2152, 1951}));
    EXPECT_EQ(Chained(H, 99), (std::array<long long, 4>{2940, 28560, 33600, 4200}));
    EXPECT_EQ(Chained(M, 99), (std::array<long long, 4>{156849, 323400, 328350, 161700}));
    EXPECT_EQ(Chained(E, 99), (std::array<long long, 4>{21566, 74020, 81968, 15470}));
}

// The smallest settings pin down where each rule's lower bounds start to admit problems.
TEST(Rules, SmallestSettings) {
    EXPECT_EQ(TwoOperand(M, 7), (std::array<long long, 2>{6, 0}));
    EXPECT_EQ(Total(TwoOperand(E, 18)), 1);
    EXPECT_EQ(Total(TwoOperand(H, 20)), 3);
    EXPECT_EQ(Total(TwoOperand(H, 31)), 55);
    EXPECT_EQ(Total(TwoOperand(H, 32)), 72);
    EXPECT_EQ(Chained(H, 31), (std::array<long long, 4>{0, 64, 16, 0}));
    EXPECT_EQ(Total(Chained(E, 21)), 1);
    EXPECT_EQ(Total(Chained(E, 23)), 22);
    for (int limit : {1, 2, 13}) EXPECT_EQ(Total(Chained(M, limit)), limit * limit * limit);
}

struct Fixed {
    std::uint32_t k;
    std::uint32_t Next24() { return k; }
};

// The integer draw must be Int(u * n + 1) on the single-precision u, for every 16-bit n.
TEST(Draws, IntegerDrawEqualsFloatingPointFormula) {
    RandomSource source(42, [] { return ClockReading{0}; });
    std::vector<std::uint32_t> values = {0, (1u << 23) - 1, 1u << 23, (1u << 24) - 1};
    for (int i = 0; i < 20000; ++i) values.push_back(source.Next24());
    for (int n : {-32768, -99, -1, 0, 1, 7, 31, 99, 12345, 32767}) {
        for (std::uint32_t k : values) {
            Fixed fixed{k};
            const int drawn = DrawOperand(fixed, n);
            EXPECT_EQ(drawn, static_cast<int>(std::floor(static_cast<double>(k * 0x1p-24f) * n + 1.0)));
            EXPECT_TRUE(n < 1 || (drawn >= 1 && drawn <= n));
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
    source.Chained({16, kAdd, 15, kSub, 11}, 99);
    source.Chained({16, kAdd, 15, kSub, 12}, 99);
    EXPECT_EQ(TryTwoOperand(source, M, 99), (TwoOperandProblem{45, kAdd, 38}));
    EXPECT_FALSE(TryTwoOperand(source, H, 99));  // rejected, still three values used
    EXPECT_FALSE(TryChained(source, H, 99));
    EXPECT_EQ(TryChained(source, H, 99), (ChainedProblem{16, kAdd, 15, kSub, 12}));
    EXPECT_TRUE(source.ScriptUsedUp());
}

}  // namespace
}  // namespace pellarin
