// The converter's naming rule for transfer-file segments, and counting the segments present.
#include "manager/segments.h"

#include <algorithm>

namespace dunax::manager {
namespace {

constexpr std::size_t kNameWidth = 50;        // the data file name part of the name
constexpr std::size_t kLastSearchStart = 46;  // ".bi" must start within positions 1 to 46

}  // namespace

std::string transferSegmentName(const std::string& dataFileName, int segment) {
  if (segment < 0 || segment > kMostExtraSegments) return {};
  std::size_t end = std::min({dataFileName.find(' '), dataFileName.size(), kNameWidth});
  std::string name = dataFileName.substr(0, end) + ".bin";
  if (segment == 0) return name;
  for (std::size_t start = 0; start < kLastSearchStart && start + 3 <= name.size(); ++start) {
    if (name.compare(start, 3, ".bi") == 0) {
      // The replaced character lies inside the name: ".bin" ends it.
      name[start + 3] = static_cast<char>('0' + segment);
      return name;
    }
  }
  return {};
}

int countExtraSegments(const std::string& dataFileName,
                       const std::function<bool(const std::string&)>& exists) {
  int count = 0;
  for (int segment = 1; segment <= kMostExtraSegments; ++segment) {
    std::string name = transferSegmentName(dataFileName, segment);
    if (name.empty() || !exists(name)) break;
    count = segment;
  }
  return count;
}

int segmentNamedAsFirst(const std::string& dataFileName) {
  const std::string first = transferSegmentName(dataFileName, 0);
  for (int segment = 1; segment <= kMostExtraSegments; ++segment) {
    if (transferSegmentName(dataFileName, segment) == first) return segment;
  }
  return 0;
}

int firstSegmentGap(const std::string& dataFileName,
                    const std::function<bool(const std::string&)>& exists) {
  int missing = 0;
  for (int segment = 1; segment <= kMostExtraSegments; ++segment) {
    std::string name = transferSegmentName(dataFileName, segment);
    if (name.empty()) return 0;
    if (!exists(name)) {
      if (missing == 0) missing = segment;
    } else if (missing != 0) {
      return missing;
    }
  }
  return 0;
}

}  // namespace dunax::manager
