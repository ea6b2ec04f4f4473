// The screen library as the converter reaches it (platform/screen_program.h): SP2MF called by
// name as the one real way to reach it.
#pragma once

#include <cstdint>

#include "layouts/byte_fields.h"
#include "layouts/screen_functions.h"
#include "platform/program_call.h"
#include "platform/screen_program.h"
#include "platform/status.h"

namespace dunax::converter::screen {

// SP2MF, called by name.
class ScreenByName final : public platform::ScreenProgram {
 public:
  ScreenByName() : library_(layouts::kScreenLibraryName) {}
  // The function code goes as 2 bytes, most significant first.
  platform::Expected<int> call(std::int16_t function, void* record) override {
    unsigned char code[2];
    layouts::putBigEndian16(code, function);
    return library_.call(code, record);
  }

 private:
  platform::OutsideProgram library_;
};

}  // namespace dunax::converter::screen
