// The console: text written at a row and column, as the run-time's DISPLAY ... AT does, and
// lines for standard output and standard error. Records' Windows-1252 text is converted to UTF-8 on the way out.
#pragma once

#include <cstddef>

namespace dunax::platform {

// Writes length Windows-1252 bytes at row and column (both from 1) of the terminal on standard
// output; where standard output is not a terminal the text is written as one line.
void writeAtConsole(int row, int column, const char* text, std::size_t length);

// Writes one line to standard error (UTF-8 text, a newline is added).
void writeErrorLine(const char* text);

// Writes one line to standard output (UTF-8 text, a newline is added), after what is buffered
// there: on a Windows console as its characters, elsewhere as the bytes.
void writeOutputLine(const char* text);

}  // namespace dunax::platform
