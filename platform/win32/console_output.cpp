// Output on Windows: UTF-8 written as UTF-16 with WriteConsoleW to a console (VT processing on
// while it writes), as bytes with WriteFile where standard output is redirected.
#include "platform/win32/console_output.h"

#include <string>
#include <string_view>

#include "platform/win32/wide_text.h"

namespace dunax::platform::win32 {

Status writeOut(const char* bytes, std::size_t length) {
  HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (GetConsoleMode(output, &mode)) {
    const std::wstring wide = win32::wideFromUtf8(std::string(bytes, length));
    const DWORD drawing = mode | ENABLE_PROCESSED_OUTPUT | ENABLE_VIRTUAL_TERMINAL_PROCESSING;
    const bool switched = drawing != mode && SetConsoleMode(output, drawing);
    const Status status = writeAll(output, wide, WriteConsoleW);
    if (switched) SetConsoleMode(output, mode);
    return status;
  }
  return writeAll(output, std::string_view(bytes, length), WriteFile);
}

}  // namespace dunax::platform::win32
