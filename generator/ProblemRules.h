#pragma once

#include <optional>

#include "Difficulty.h"
#include "RandomSource.h"

namespace pellarin {

enum class Op : unsigned char { Add = 0, Sub = 1 };

struct TwoOperandProblem {
    int a;
    Op op;
    int b;
    bool operator==(const TwoOperandProblem&) const = default;
};

struct ChainedProblem {
    int a;
    Op op1;
    int b;
    Op op2;
    int c;
    bool operator==(const ChainedProblem&) const = default;
};

namespace rules {

// x Mod 10 keeps the sign of x, as C++ does. Operands are never negative; a negative
// intermediate result fails its range test anyway, so the sign never decides a problem.
constexpr int Ones(int x) { return x % 10; }

constexpr int Apply(int x, Op op, int y) { return op == Op::Add ? x + y : x - y; }

// Carry or borrow in one step x op y.
constexpr bool Regroups(int x, Op op, int y) {
    return op == Op::Add ? Ones(x) + Ones(y) > 10 : Ones(x) < Ones(y);
}

constexpr bool InRange(int value, int low, int high) { return low <= value && value <= high; }

}  // namespace rules

// The tests of one difficulty on a drawn two-operand candidate. The arithmetic is done in
// int, wide enough for any pair of 16-bit operands, so no limit can overflow it.
constexpr bool AcceptsTwoOperand(Difficulty difficulty, int limit, const TwoOperandProblem& p) {
    using namespace rules;
    const int r = Apply(p.a, p.op, p.b);
    if (!InRange(r, 7, limit)) return false;
    if (difficulty == Difficulty::Medium) return true;
    if (!InRange(p.a, 10, limit) || !InRange(p.b, 11, limit)) return false;
    return Regroups(p.a, p.op, p.b) == (difficulty == Difficulty::Hard);
}

constexpr bool AcceptsChained(Difficulty difficulty, int limit, const ChainedProblem& p) {
    using namespace rules;
    const int r1 = Apply(p.a, p.op1, p.b);
    const int r2 = Apply(r1, p.op2, p.c);
    if (difficulty == Difficulty::Medium) {
        return InRange(p.a, 1, limit) && InRange(p.b, 1, limit) && InRange(p.c, 1, limit) &&
               InRange(r1, 0, limit) && InRange(r2, 0, limit);
    }
    if (p.a < 11 || p.b < 11 || p.c < 11) return false;
    if (!InRange(r1, 10, limit) || !InRange(r2, 10, limit)) return false;
    const bool hard = difficulty == Difficulty::Hard;
    // The second step is judged on the intermediate result, not on b.
    return Regroups(p.a, p.op1, p.b) == hard && Regroups(r1, p.op2, p.c) == hard;
}

// One attempt: exactly three draws (a, b, operator), in this order, whatever the outcome.
template <class Source>
std::optional<TwoOperandProblem> TryTwoOperand(Source& source, Difficulty difficulty, int limit) {
    TwoOperandProblem p{};
    p.a = DrawOperand(source, limit);
    p.b = DrawOperand(source, limit);
    p.op = static_cast<Op>(DrawOperator(source));
    if (!AcceptsTwoOperand(difficulty, limit, p)) return std::nullopt;
    return p;
}

// One attempt: exactly five draws (a, b, c, first operator, second operator), in this order.
template <class Source>
std::optional<ChainedProblem> TryChained(Source& source, Difficulty difficulty, int limit) {
    ChainedProblem p{};
    p.a = DrawOperand(source, limit);
    p.b = DrawOperand(source, limit);
    p.c = DrawOperand(source, limit);
    p.op1 = static_cast<Op>(DrawOperator(source));
    p.op2 = static_cast<Op>(DrawOperator(source));
    if (!AcceptsChained(difficulty, limit, p)) return std::nullopt;
    return p;
}

}  // namespace pellarin
