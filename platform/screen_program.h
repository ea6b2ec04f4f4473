// The screen library as a program reaches it: one call per function with a 2-byte function code
// (layouts/screen_functions.h) and one parameter record. The converter and the executor each
// call it by name through their own ScreenByName; tests put a fake in its place.
#pragma once

#include <cstdint>

#include "platform/status.h"

namespace dunax::platform {

class ScreenProgram {
 public:
  virtual ~ScreenProgram() = default;
  // Calls the library with function and its record, loading the library first when needed.
  // Returns the library's return code, or NotFound with the loader's words when it cannot be
  // reached (the record is untouched then).
  virtual Expected<int> call(std::int16_t function, void* record) = 0;
};

}  // namespace dunax::platform
