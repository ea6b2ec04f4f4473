// The screen library as the executor reaches it (platform/screen_program.h): SP2MF, falling
// back to SP2, called by name as the one real way to reach it.
#pragma once

#include <cstdint>

#include "layouts/screen_functions.h"
#include "platform/program_call.h"
#include "platform/screen_program.h"
#include "platform/status.h"

namespace dunax::executor {

// SP2MF called by name; when SP2MF cannot be found, SP2 from then on.
class ScreenByName final : public platform::ScreenProgram {
 public:
  // A failure says why SP2, the last name tried, cannot be found.
  platform::Expected<int> call(std::int16_t operationCode, void* block) override;
  // Unloads the library (before the run-time is shut down).
  void release() { library_.release(); }

 private:
  platform::OutsideProgram library_{layouts::kScreenLibraryName};
  bool fellBack_ = false;
};

}  // namespace dunax::executor
