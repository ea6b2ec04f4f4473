// The program's arguments on Windows: the wide command line split as the C run-time splits it
// (CommandLineToArgvW), each argument in UTF-8 or Windows-1252; main's argv when it cannot be
// split.
#include "platform/program_arguments.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/win32/wide_text.h"

namespace dunax::platform {
namespace {

// A wide argument in Windows-1252, "?" for a character outside it (no look-alike put instead).
std::string windows1252FromWide(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int length =
      WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0, "?", nullptr);
  std::string text(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, wide.data(), size, text.data(), length, "?",
                      nullptr);
  return text;
}

}  // namespace

ProgramArguments::ProgramArguments(int argc, char** argv, ArgumentText text) {
  int wideCount = 0;
  if (LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &wideCount)) {
    for (int i = 0; i < wideCount; ++i) {
      values_.push_back(text == ArgumentText::Utf8 ? win32::utf8FromWide(wide[i])
                                                   : windows1252FromWide(wide[i]));
    }
    LocalFree(static_cast<HLOCAL>(wide));
  } else {
    values_.assign(argv, argv + argc);
  }
  for (std::string& value : values_) pointers_.push_back(value.data());
  pointers_.push_back(nullptr);
}

}  // namespace dunax::platform
