// The screen library called by name: the operation code in its 2-byte form.
#include "executor/screen_library.h"

namespace dunax::executor {

platform::CallResult NamedScreenLibrary::call(std::uint16_t operationCode, void* block) {
  unsigned char code[2] = {static_cast<unsigned char>(operationCode >> 8),
                           static_cast<unsigned char>(operationCode & 0xFF)};
  return program_.call(code, block);
}

}  // namespace dunax::executor
