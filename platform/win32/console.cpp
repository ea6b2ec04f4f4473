// The console on Windows: positioned text in the console window (SetConsoleCursorPosition and
// WriteConsoleW), plain lines where standard output is redirected, and the lines of standard
// output and standard error (as characters to a console, as bytes elsewhere).
#include "platform/console.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/text_encoding.h"
#include "platform/win32/console_output.h"
#include "platform/win32/wide_text.h"

namespace dunax::platform {

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
    (void)win32::writeAll(output, win32::wideFromUtf8(utf8), WriteConsoleW);  // best effort
    return;
  }
  while (!utf8.empty() && utf8.back() == ' ') utf8.pop_back();
  utf8 += "\r\n";
  (void)win32::writeAll(output, utf8, WriteFile);  // best effort, as above
}

void writeErrorLine(const char* text) {
  HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (GetConsoleMode(error, &mode)) {
    std::fflush(stderr);
    (void)win32::writeAll(error, win32::wideFromUtf8(text) + L"\r\n", WriteConsoleW);  // as above
    return;
  }
  std::fprintf(stderr, "%s\n", text);
}

void writeOutputLine(const char* text) {
  std::fflush(stdout);
  HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (GetConsoleMode(output, &mode)) {
    // Best effort, as above.
    (void)win32::writeAll(output, win32::wideFromUtf8(text) + L"\r\n", WriteConsoleW);
    return;
  }
  std::fprintf(stdout, "%s\n", text);
  std::fflush(stdout);
}

}  // namespace dunax::platform
