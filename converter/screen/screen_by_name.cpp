// SP2MF called by name: the function code goes as 2 bytes, most significant first.
#include "converter/screen/screen_program.h"

#include "layouts/byte_fields.h"

namespace dunax::converter::screen {

platform::Expected<int> ScreenByName::call(std::int16_t function, void* record) {
  unsigned char code[2];
  layouts::putBigEndian16(code, function);
  return library_.call(code, record);
}

}  // namespace dunax::converter::screen
