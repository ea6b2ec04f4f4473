// The transfer-file segments' names as strings, and counting the segments present.
#include "manager/segments.h"

#include "layouts/transfer_segments.h"

namespace dunax::manager {

using layouts::kMostExtraSegments;

std::string transferSegmentName(const std::string& dataFileName, int segment) {
  if (segment < 0 || segment > kMostExtraSegments) return {};
  std::string name(layouts::segmentDataName(dataFileName));
  name += layouts::kFirstSegmentSuffix;
  if (segment == 0 || layouts::markSegment(name, segment)) return name;
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
  return layouts::segmentNamedAsFirst(transferSegmentName(dataFileName, 0));
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
