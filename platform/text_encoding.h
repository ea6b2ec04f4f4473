// Windows-1252, the code page of every text in the records, converted to UTF-8 for the terminal.
#pragma once

#include <cstddef>
#include <string>

namespace dunax::platform {

// Appends the UTF-8 form of length Windows-1252 bytes to out, one character per byte so that a
// text keeps its width on the screen: bytes with no character in the code page (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) and control bytes (below 0x20, and 0x7F) become "?"; NUL becomes a space.
void appendUtf8FromWindows1252(const char* text, std::size_t length, std::string& out);

// Converts UTF-8 text to Windows-1252 for records (what a user types or passes on a command
// line). Characters outside the code page become "?". Invalid UTF-8 bytes are taken as
// Windows-1252 bytes unchanged.
std::string windows1252FromUtf8(const std::string& text);

}  // namespace dunax::platform
