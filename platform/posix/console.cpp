// The console on POSIX: positioned text on a terminal (plain lines elsewhere), and lines for
// standard output and standard error.
#include "platform/console.h"

#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/text_encoding.h"

namespace dunax::platform {

void writeAtConsole(int row, int column, const char* text, std::size_t length) {
  std::string out;
  if (isatty(STDOUT_FILENO)) {
    out = "\x1b[" + std::to_string(row) + ";" + std::to_string(column) + "H";
    appendUtf8FromWindows1252(text, length, out);
  } else {
    appendUtf8FromWindows1252(text, length, out);
    while (!out.empty() && out.back() == ' ') out.pop_back();
    out += '\n';
  }
  std::fflush(stdout);
  std::size_t written = 0;
  while (written < out.size()) {
    ssize_t n = ::write(STDOUT_FILENO, out.data() + written, out.size() - written);
    if (n <= 0) break;
    written += static_cast<std::size_t>(n);
  }
}

void writeErrorLine(const char* text) { std::fprintf(stderr, "%s\n", text); }

void writeOutputLine(const char* text) {
  std::fprintf(stdout, "%s\n", text);
  std::fflush(stdout);
}

}  // namespace dunax::platform
