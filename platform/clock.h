// The clock: the run-time's time of day in hundredths of a second, and a monotonic reading for
// measuring how long something took.
#pragma once

#include <cstdint>

namespace dunax::platform {

// Writes the local time of day as 8 ASCII digits HHMMSScc into out (no terminating NUL).
void timeOfDayHundredths(char out[8]);

// Nanoseconds on a clock that never goes back; only differences mean anything.
std::int64_t monotonicNanoseconds();

// Sleeps for the given number of milliseconds.
void sleepMilliseconds(int milliseconds);

// Sleeps for the given number of microseconds.
void sleepMicroseconds(int microseconds);

}  // namespace dunax::platform
