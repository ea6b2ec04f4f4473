// A text file written a line at a time, each line handed whole to the host as it is written, so
// that what was written survives the writer being killed (a report kept during a long run).
#pragma once

#include <string>
#include <string_view>

#include "platform/status.h"

namespace dunax::platform {

class LineFile {
 public:
  LineFile() = default;
  ~LineFile() { close(); }
  LineFile(const LineFile&) = delete;
  LineFile& operator=(const LineFile&) = delete;

  // Opens the file named (as file_routines.h takes names) for writing, made when missing and
  // emptied when there. Fails when it cannot be.
  Status open(std::string_view name);
  // Writes text and a newline in one write; fails when not open or the write fails.
  Status writeLine(std::string_view text);
  void close();
  bool isOpen() const { return handle_ != kNoHandle; }

 private:
  static constexpr long long kNoHandle = -1;
  long long handle_ = kNoHandle;  // a descriptor on POSIX, a handle's value on Windows
};

}  // namespace dunax::platform
