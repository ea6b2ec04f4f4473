// The program's arguments on Windows: the wide command line split as the C run-time splits it
// (CommandLineToArgvW), each argument in UTF-8; main's argv when it cannot be split.
#include "platform/program_arguments.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/win32/wide_text.h"

namespace dunax::platform {

ProgramArguments::ProgramArguments(int argc, char** argv) {
  int wideCount = 0;
  if (LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &wideCount)) {
    for (int i = 0; i < wideCount; ++i) values_.push_back(win32::utf8FromWide(wide[i]));
    LocalFree(static_cast<HLOCAL>(wide));
  } else {
    values_.assign(argv, argv + argc);
  }
  for (std::string& value : values_) pointers_.push_back(value.data());
  pointers_.push_back(nullptr);
}

}  // namespace dunax::platform
