// The clock on POSIX: local time of day in hundredths, a monotonic reading, and sleeping.
#include "platform/clock.h"

#include <sys/time.h>
#include <time.h>

#include <cstddef>

namespace dunax::platform {

void timeOfDayHundredths(char out[8]) {
  struct timeval now;
  gettimeofday(&now, nullptr);
  struct tm local;
  time_t seconds = now.tv_sec;
  localtime_r(&seconds, &local);
  const int values[4] = {local.tm_hour, local.tm_min, local.tm_sec,
                         static_cast<int>(now.tv_usec / 10000)};
  for (std::size_t i = 0; i < 4; ++i) {
    out[2 * i] = static_cast<char>('0' + values[i] / 10 % 10);
    out[2 * i + 1] = static_cast<char>('0' + values[i] % 10);
  }
}

std::int64_t monotonicNanoseconds() {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

void sleepMilliseconds(int milliseconds) {
  struct timespec pause = {milliseconds / 1000, (milliseconds % 1000) * 1000000L};
  while (nanosleep(&pause, &pause) != 0) {
  }
}

void sleepMicroseconds(int microseconds) {
  struct timespec pause = {microseconds / 1000000, (microseconds % 1000000) * 1000L};
  while (nanosleep(&pause, &pause) != 0) {
  }
}

}  // namespace dunax::platform
