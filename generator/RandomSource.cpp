#include "RandomSource.h"

#include <chrono>
#if defined(__linux__)
#include <time.h>
#endif

namespace pellarin {

ClockReading SystemClockReading() {
#if defined(CLOCK_REALTIME_COARSE)
    // The coarse clock costs a few nanoseconds against some thirty for the precise one,
    // and the run reads it once per attempt.
    timespec now{};
    clock_gettime(CLOCK_REALTIME_COARSE, &now);
    return static_cast<ClockReading>(now.tv_sec) * 1000000000u + static_cast<ClockReading>(now.tv_nsec);
#else
    return static_cast<ClockReading>(std::chrono::system_clock::now().time_since_epoch().count());
#endif
}

}  // namespace pellarin
