// The transfer-file segments next to a data file: their names by the converter's rule
// (layouts/transfer_segments.h) and the count of extra segments a direction "X" run is told to
// read.
#pragma once

#include <functional>
#include <string>

namespace dunax::manager {

// Returns the name of segment `segment` (0 to 9) of the transfer file of a data file, as the
// converter names it. Returns an empty text for a segment of 1 to 9 when the name has no ".bi"
// to mark it, and for a segment outside 0 to 9.
std::string transferSegmentName(const std::string& dataFileName, int segment);

// Returns the number of extra segments present: the highest k (0 to 9) such that segments 1 to
// k all exist according to exists (called with each segment name in turn, stopping at the
// first missing one). 0 when segment 1 is missing or the name leaves no room for segments.
int countExtraSegments(const std::string& dataFileName,
                       const std::function<bool(const std::string&)>& exists);

// Returns the segment (1 to 9) that would be named as segment 0 itself (data file "q.bi1": both
// segment 0 and segment 1 are "q.bi1.bin"). 0 when every segment has a name of its own.
int segmentNamedAsFirst(const std::string& dataFileName);

// Returns the first missing segment (1 to 8) after which a later segment exists, according to
// exists; 0 when the segments present run unbroken from segment 1.
int firstSegmentGap(const std::string& dataFileName,
                    const std::function<bool(const std::string&)>& exists);

}  // namespace dunax::manager
