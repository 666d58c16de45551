#pragma once

#include <cstdint>

namespace pellarin {

// A clock reading in nanoseconds. The program reads the coarse real-time clock, which
// moves only every few milliseconds; tests pass a fixed clock.
using ClockReading = std::uint64_t;
using ClockFn = ClockReading (*)();

ClockReading SystemClockReading();

// The program's one random generator. The run re-seeds it before every attempt, thousands
// of times within one tick of the clock, so a re-seed must never bring the stream back to
// an earlier state: the state is a Weyl counter that only moves forward (by an odd step, so
// it repeats only after 2^64 steps), and the clock only chooses the key it is mixed with.
// Within one clock reading every value therefore comes from a counter value not used before.
class RandomSource {
public:
    explicit RandomSource(std::uint64_t seed = 0, ClockFn clock = &SystemClockReading)
        : m_counter(seed), m_key(KeyFor(0)), m_clock(clock) {}

    void Reseed() {
        // Most re-seeds see the same coarse reading as the last one; the key is then the same.
        const ClockReading now = m_clock();
        if (now != m_lastReading) {
            m_lastReading = now;
            m_key = KeyFor(now);
        }
        m_counter += kStep;
    }

    // 24 random bits. NextUniform() is exactly Next24() / 2^24, so the draws can work on
    // the integer without going through floating point and still give Int(u * n + 1).
    std::uint32_t Next24() {
        m_counter += kStep;
        return static_cast<std::uint32_t>(Mix(m_counter + m_key) >> 40);
    }

    float NextUniform() { return static_cast<float>(Next24()) * 0x1p-24f; }

    std::uint64_t Counter() const { return m_counter; }

private:
    static constexpr std::uint64_t kStep = 0x9E3779B97F4A7C15ULL;

    // The finaliser of SplitMix64: a bijection, so distinct inputs give distinct outputs.
    static std::uint64_t Mix(std::uint64_t z) {
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    static std::uint64_t KeyFor(ClockReading reading) { return Mix(reading ^ 0xD1B54A32D192ED03ULL); }

    std::uint64_t m_counter;
    std::uint64_t m_key;  // always KeyFor(m_lastReading)
    ClockReading m_lastReading = 0;
    ClockFn m_clock;
};

// DrawOperand(n) = Int(u * n + 1) with u = k / 2^24. The product k * n is exact in 64 bits and
// the arithmetic shift is the floor for negative n too, so this equals the floating-point
// formula for every k and every 16-bit n.
template <class Source>
int DrawOperand(Source& source, int n) {
    return static_cast<int>((static_cast<std::int64_t>(source.Next24()) * n) >> 24) + 1;
}

// DrawOperator() = Int(2 * u): 0 (addition) below one half, 1 (subtraction) from one half on.
template <class Source>
int DrawOperator(Source& source) {
    return static_cast<int>(source.Next24() >> 23);
}

}  // namespace pellarin
