// The converter's counts line (layouts/converter_counts.h) as the manager reads it: records read
// and written, and the extra segments of the transfer set.
#pragma once

#include <cstdint>
#include <string_view>

namespace dunax::manager {

struct ConverterCounts {
  std::int64_t read = -1;     // -1: not known (no counts line)
  std::int64_t written = -1;
  int segments = -1;
  bool known() const { return read >= 0; }
};

// Reads one line of the converter's standard error (without its newline or carriage return).
// Returns true and fills *counts when the line is a counts line, every number plain decimal
// digits; false for any other line.
bool readCountsLine(std::string_view line, ConverterCounts* counts);

}  // namespace dunax::manager
