// Output on Windows: UTF-8 written as UTF-16 with WriteConsoleW to a console (VT processing on
// while it writes), as bytes with WriteFile where standard output is redirected.
#include "platform/win32/console_output.h"

#include <string>

#include "platform/win32/wide_text.h"

namespace dunax::platform::win32 {

Status writeOut(const char* bytes, std::size_t length) {
  HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (GetConsoleMode(output, &mode)) {
    const std::wstring wide = win32::wideFromUtf8(std::string(bytes, length));
    const DWORD drawing = mode | ENABLE_PROCESSED_OUTPUT | ENABLE_VIRTUAL_TERMINAL_PROCESSING;
    const bool switched = drawing != mode && SetConsoleMode(output, drawing);
    Status status;
    std::size_t written = 0;
    while (written < wide.size()) {
      DWORD done = 0;
      if (!WriteConsoleW(output, wide.data() + written,
                         static_cast<DWORD>(wide.size() - written), &done, nullptr)) {
        status = Status::fromNative(static_cast<int>(GetLastError()));
        break;
      }
      if (done == 0) {
        status = Status::failure(StatusCode::Other, "the terminal takes no more output");
        break;
      }
      written += done;
    }
    if (switched) SetConsoleMode(output, mode);
    return status;
  }
  std::size_t written = 0;
  while (written < length) {
    DWORD done = 0;
    if (!WriteFile(output, bytes + written, static_cast<DWORD>(length - written), &done,
                   nullptr)) {
      return Status::fromNative(static_cast<int>(GetLastError()));
    }
    if (done == 0) return Status::failure(StatusCode::Other, "the terminal takes no more output");
    written += done;
  }
  return Status();
}

}  // namespace dunax::platform::win32
