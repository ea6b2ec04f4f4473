// Windows-1252, the code page of every text in the records, converted to UTF-8 for the terminal,
// and file names converted exactly, both ways, between the records and a UTF-8 host.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/status.h"

namespace dunax::platform {

// Appends the UTF-8 form of length Windows-1252 bytes to out, one character per byte so that a
// text keeps its width on the screen: bytes with no character in the code page (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) and control bytes (below 0x20, and 0x7F) become "?"; NUL becomes a space.
void appendUtf8FromWindows1252(const char* text, std::size_t length, std::string& out);

// Converts UTF-8 text to Windows-1252 for records (what a user types or passes on a command
// line). Characters outside the code page become "?". Invalid UTF-8 bytes are taken as
// Windows-1252 bytes unchanged.
std::string windows1252FromUtf8(const std::string& text);

// Converts a name of the records (Windows-1252) to UTF-8, byte for character, control bytes
// included. Fails (InvalidName) when a byte has no character in the code page (0x81, 0x8D,
// 0x8F, 0x90, 0x9D): such a name has no UTF-8 form.
Expected<std::string> utf8NameFromWindows1252(std::string_view name);

// Converts a UTF-8 name back to the records' Windows-1252, character for byte. Fails
// (InvalidName) when a character has no Windows-1252 byte or the bytes are not valid UTF-8
// (overlong forms and surrogates included).
Expected<std::string> windows1252NameFromUtf8(std::string_view name);

// The same conversion for showing a name: "?" for each character or byte that has no
// Windows-1252 byte, a text never to open, as "?" would name some other file.
std::string windows1252TextFromUtf8(std::string_view name);

}  // namespace dunax::platform
