#pragma once

#include <chrono>

// Elapsed time that a change of the wall clock does not move and that goes on counting while
// the computer sleeps (CLOCK_BOOTTIME): what spacing, back-off and heartbeats are measured on.
struct ContinuousClock {
    using duration = std::chrono::nanoseconds;
    using rep = duration::rep;
    using period = duration::period;
    using time_point = std::chrono::time_point<ContinuousClock>;
    static constexpr bool is_steady = true;

    static time_point now() noexcept;
};
