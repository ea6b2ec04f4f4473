// The screen library as the converter reaches it: one call per function with a 2-byte function
// code (most significant byte first) and one parameter record, and SP2MF called by name as the
// one real way to reach it.
#pragma once

#include <cstdint>

#include "layouts/screen_functions.h"
#include "platform/program_call.h"
#include "platform/status.h"

namespace dunax::converter::screen {

class ScreenProgram {
 public:
  virtual ~ScreenProgram() = default;
  // Loads the library now. Returns success, or NotFound with the loader's words.
  virtual platform::Status load() = 0;
  // Calls function with its parameter record. Returns the library's result code, or -1 when
  // the library cannot be reached.
  virtual int call(std::int16_t function, void* record) = 0;
};

// SP2MF, called by name.
class ScreenByName final : public ScreenProgram {
 public:
  ScreenByName() : library_(layouts::kScreenLibraryName) {}
  platform::Status load() override { return library_.load(); }
  int call(std::int16_t function, void* record) override;

 private:
  platform::OutsideProgram library_;
};

}  // namespace dunax::converter::screen
