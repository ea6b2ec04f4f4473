// SP2MF called by name, falling back to SP2: the operation code goes as 2 bytes, most
// significant first.
#include "executor/screen_program.h"
#include "executor/literals.h"

#include "layouts/byte_fields.h"

namespace dunax::executor {

platform::Expected<int> ScreenByName::call(std::int16_t operationCode, void* block) {
  unsigned char code[2];
  layouts::putBigEndian16(code, operationCode);
  platform::Expected<int> result = library_.call(code, block);
  if (result.ok() || fellBack_) return result;
  fellBack_ = true;
  library_.setName(text::kFallbackLibraryName);
  return library_.call(code, block);
}

}  // namespace dunax::executor
