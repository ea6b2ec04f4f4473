// The screen library as the executor reaches it: one call per operation with a 2-byte
// operation code (most significant byte first) and one parameter block, and SP2MF (falling
// back to SP2) called by name as the one real way to reach it.
#pragma once

#include <cstdint>

#include "layouts/screen_functions.h"
#include "platform/program_call.h"
#include "platform/status.h"

namespace dunax::executor {

class ScreenProgram {
 public:
  virtual ~ScreenProgram() = default;
  // Calls the library with the operation code and block, loading it first when needed.
  // Returns the library's return code, or NotFound with the loader's words when it cannot be
  // reached (the block is untouched then).
  virtual platform::Expected<int> call(std::uint16_t operationCode, void* block) = 0;
};

// SP2MF called by name; when SP2MF cannot be found, SP2 from then on.
class ScreenByName final : public ScreenProgram {
 public:
  // A failure says why SP2, the last name tried, cannot be found.
  platform::Expected<int> call(std::uint16_t operationCode, void* block) override;
  // Unloads the library (before the run-time is shut down).
  void release() { library_.release(); }

 private:
  platform::OutsideProgram library_{layouts::kScreenLibraryName};
  bool fellBack_ = false;
};

}  // namespace dunax::executor
