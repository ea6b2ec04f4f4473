// The lines dunaxconv writes for its operator, every one through the platform's console-aware
// line writers (on a Windows console a UTF-8 line reaches it as its characters).
#pragma once

#include <string>

namespace dunax::manager {

enum class Stream { Output, Error };

// Writes text (UTF-8, lines ended by "\n", the last one maybe not) line by line to the stream;
// a "\r" before a line's end is dropped, as the writer ends each line the host's way.
void writeLines(const std::string& text, Stream stream);

// "dunaxconv: TEXT" on standard output.
void tellOperator(const std::string& text);

// "dunaxconv: TEXT" on standard error.
void sayError(const std::string& text);

}  // namespace dunax::manager
