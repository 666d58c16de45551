#include "Clock.h"

#include <chrono>
#include <ctime>

namespace practice {

namespace {

// Days from 1970-01-01 to a civil date (proleptic Gregorian).
int DaysFromCivil(int y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int>(doe) - 719468;
}

}  // namespace

int Clock::Today() const { return LocalDay(NowMs()); }

std::int64_t SystemClock::NowMs() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

int LocalDay(std::int64_t ms) {
    const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
    // The program has one thread; localtime's shared result is read at once.
    const std::tm* local = std::localtime(&seconds);
    if (!local) return static_cast<int>(ms / 86'400'000);
    return DaysFromCivil(local->tm_year + 1900, static_cast<unsigned>(local->tm_mon + 1),
                         static_cast<unsigned>(local->tm_mday));
}

}  // namespace practice
