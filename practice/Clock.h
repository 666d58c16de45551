#pragma once

#include <cstdint>

namespace practice {

// Milliseconds since 1970 (UTC) and the calendar day they fall on where the child practises.
// The program reads the system's clock; tests set their own.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::int64_t NowMs() const = 0;
    // Days since 1970-01-01 in local time: two sessions on one evening are one day.
    virtual int Today() const;
};

class SystemClock final : public Clock {
public:
    std::int64_t NowMs() const override;
};

// The local day of a moment.
int LocalDay(std::int64_t ms);

}  // namespace practice
