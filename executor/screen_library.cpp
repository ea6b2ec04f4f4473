// The screen library called by name: the operation code in its 2-byte form.
#include "executor/screen_library.h"

#include "layouts/byte_fields.h"

namespace dunax::executor {

platform::CallResult NamedScreenLibrary::call(std::uint16_t operationCode, void* block) {
  unsigned char code[2];
  layouts::putBigEndian16(code, operationCode);
  return program_.call(code, block);
}

}  // namespace dunax::executor
