// Reading the converter's counts line.
#include "manager/converter_counts.h"

#include "layouts/converter_counts.h"

namespace dunax::manager {
namespace {

// Takes a decimal number of 1 to 18 digits off the front of text.
bool takeNumber(std::string_view& text, std::int64_t* value) {
  std::size_t digits = 0;
  std::int64_t result = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
    if (digits == 18) return false;
    result = result * 10 + (text[digits] - '0');
    ++digits;
  }
  if (digits == 0) return false;
  text.remove_prefix(digits);
  *value = result;
  return true;
}

bool takeWord(std::string_view& text, std::string_view word) {
  if (text.substr(0, word.size()) != word) return false;
  text.remove_prefix(word.size());
  return true;
}

}  // namespace

bool readCountsLine(std::string_view line, ConverterCounts* counts) {
  ConverterCounts found;
  std::int64_t segments = 0;
  if (!takeWord(line, layouts::kCountsLineStart) || !takeNumber(line, &found.read) ||
      !takeWord(line, layouts::kCountsWritten) || !takeNumber(line, &found.written) ||
      !takeWord(line, layouts::kCountsSegments) || !takeNumber(line, &segments) ||
      !line.empty() || segments > 99) {
    return false;
  }
  found.segments = static_cast<int>(segments);
  *counts = found;
  return true;
}

}  // namespace dunax::manager
