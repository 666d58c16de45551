#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>

#include "generator/ProblemRules.h"
#include "generator/RandomSource.h"

namespace pellarin::testing {

// A random source whose values a test writes down in advance: the exact operands and
// operators of each attempt.
class ScriptedSource {
public:
    void Reseed() { ++m_reseeds; }
    std::uint32_t Next24() {
        if (m_script.empty()) {
            ADD_FAILURE() << "the run drew more than the script holds";
            return 0;
        }
        const std::uint32_t value = m_script.front();
        m_script.pop_front();
        return value;
    }

    // The smallest k for which DrawOperand gives `value` when drawing from 1..n.
    void Operand(int value, int n) {
        const std::int64_t k = ((static_cast<std::int64_t>(value) - 1) * (1 << 24) + n - 1) / n;
        ASSERT_GE(k, 0);
        ASSERT_LT(k, 1 << 24);
        m_script.push_back(static_cast<std::uint32_t>(k));
    }
    void Operator(Op op) { m_script.push_back(op == Op::Add ? 0u : 1u << 23); }

    void TwoOperand(const TwoOperandProblem& p, int n) {
        Operand(p.a, n);
        Operand(p.b, n);
        Operator(p.op);
    }
    void Chained(const ChainedProblem& p, int n) {
        Operand(p.a, n);
        Operand(p.b, n);
        Operand(p.c, n);
        Operator(p.op1);
        Operator(p.op2);
    }

    bool ScriptUsedUp() const { return m_script.empty(); }
    int Reseeds() const { return m_reseeds; }

private:
    std::deque<std::uint32_t> m_script;
    int m_reseeds = 0;
};

}  // namespace pellarin::testing
