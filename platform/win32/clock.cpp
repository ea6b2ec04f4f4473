// The clock on Windows: local time of day in hundredths (GetLocalTime), a monotonic reading
// (QueryPerformanceCounter), and sleeping.
#include "platform/clock.h"

#include <windows.h>

#include <cstddef>

namespace dunax::platform {

void timeOfDayHundredths(char out[8]) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  const int values[4] = {now.wHour, now.wMinute, now.wSecond, now.wMilliseconds / 10};
  for (std::size_t i = 0; i < 4; ++i) {
    out[2 * i] = static_cast<char>('0' + values[i] / 10 % 10);
    out[2 * i + 1] = static_cast<char>('0' + values[i] % 10);
  }
}

std::int64_t monotonicNanoseconds() {
  static const std::int64_t frequency = [] {
    LARGE_INTEGER value;
    QueryPerformanceFrequency(&value);
    return static_cast<std::int64_t>(value.QuadPart);
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  const std::int64_t ticks = counter.QuadPart;
  // Whole seconds and the rest apart, so that the product does not overflow.
  return ticks / frequency * 1000000000 + ticks % frequency * 1000000000 / frequency;
}

void sleepMilliseconds(int milliseconds) {
  Sleep(milliseconds > 0 ? static_cast<DWORD>(milliseconds) : 0);
}

void sleepMicroseconds(int microseconds) {
  // The system sleeps in whole milliseconds: a pause is never shorter than asked.
  Sleep(microseconds > 0 ? static_cast<DWORD>((microseconds + 999) / 1000) : 0);
}

}  // namespace dunax::platform
