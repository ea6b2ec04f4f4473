// The counts line at the end of a run, when the manager asked for it.
#include "converter/counts_line.h"

#include "layouts/converter_counts.h"
#include "platform/console.h"
#include "platform/process.h"

namespace dunax::converter {

std::string countsLine(char direction, std::uint64_t dataSide, std::uint64_t transferSide,
                       int extraSegments) {
  const std::uint64_t read = direction == 'B' ? dataSide : transferSide;
  const std::uint64_t written = direction == 'B' ? transferSide : dataSide;
  std::string line(layouts::kCountsLineStart);
  line += std::to_string(read);
  line += layouts::kCountsWritten;
  line += std::to_string(written);
  line += layouts::kCountsSegments;
  line += std::to_string(extraSegments);
  return line;
}

void reportCounts(char direction, std::uint64_t dataSide, std::uint64_t transferSide,
                  int extraSegments) {
  const char* asked = platform::environmentValue(layouts::kCountsVariable);
  if (asked == nullptr || layouts::kCountsVariableOn != asked) return;
  platform::writeErrorLine(countsLine(direction, dataSide, transferSide, extraSegments).c_str());
}

}  // namespace dunax::converter
