// The console on Windows: positioned text in the console window (SetConsoleCursorPosition and
// WriteConsoleW), plain lines where standard output is redirected, and the lines of standard
// output and standard error (as characters to a console, as bytes elsewhere).
#include "platform/console.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/text_encoding.h"
#include "platform/win32/wide_text.h"

namespace dunax::platform {
namespace {

// Writes all of text through write (WriteConsoleW or WriteFile), up to a call that fails.
template <typename Text, typename Write>
void writeAll(HANDLE handle, const Text& text, Write write) {
  std::size_t written = 0;
  while (written < text.size()) {
    DWORD done = 0;
    const auto left = static_cast<DWORD>(text.size() - written);
    if (!write(handle, text.data() + written, left, &done, nullptr) || done == 0) break;
    written += done;
  }
}

}  // namespace

void writeAtConsole(int row, int column, const char* text, std::size_t length) {
  std::fflush(stdout);
  HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  std::string utf8;
  appendUtf8FromWindows1252(text, length, utf8);
  CONSOLE_SCREEN_BUFFER_INFO screen;
  if (GetConsoleScreenBufferInfo(output, &screen)) {
    // Row and column count from the top left of the visible window.
    COORD at;
    at.X = static_cast<SHORT>(screen.srWindow.Left + (column > 0 ? column - 1 : 0));
    at.Y = static_cast<SHORT>(screen.srWindow.Top + (row > 0 ? row - 1 : 0));
    if (at.X >= screen.dwSize.X) at.X = static_cast<SHORT>(screen.dwSize.X - 1);
    if (at.Y >= screen.dwSize.Y) at.Y = static_cast<SHORT>(screen.dwSize.Y - 1);
    SetConsoleCursorPosition(output, at);
    writeAll(output, win32::wideFromUtf8(utf8), WriteConsoleW);
    return;
  }
  while (!utf8.empty() && utf8.back() == ' ') utf8.pop_back();
  utf8 += "\r\n";
  writeAll(output, utf8, WriteFile);
}

void writeErrorLine(const char* text) {
  HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (GetConsoleMode(error, &mode)) {
    std::fflush(stderr);
    writeAll(error, win32::wideFromUtf8(text) + L"\r\n", WriteConsoleW);
    return;
  }
  std::fprintf(stderr, "%s\n", text);
}

void writeOutputLine(const char* text) {
  std::fflush(stdout);
  HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (GetConsoleMode(output, &mode)) {
    writeAll(output, win32::wideFromUtf8(text) + L"\r\n", WriteConsoleW);
    return;
  }
  std::fprintf(stdout, "%s\n", text);
  std::fflush(stdout);
}

}  // namespace dunax::platform
