// Up-front checks of each data file's own transfer set: a name whose segments would be named as
// its first segment, and, for direction "X", a set with a segment missing between two present.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "manager/conversion_run.h"

namespace dunax::manager {

// Tells whether the transfer-file segment name (Windows-1252) is present in folder.
using SegmentExists = std::function<bool(const std::string& folder, const std::string& name)>;

// Returns one message per file whose transfer set cannot be converted safely, saying why and
// what to do: in both directions a name one of whose segments 1 to 9 would have segment 0's
// own name (the converter refuses it); in direction "X" a set with a gap (a segment missing
// while a later one is there), whose records after the gap would not be read. Empty when every
// file's set is sound.
std::vector<std::string> findTransferSetProblems(const std::vector<DataFile>& files,
                                                 char direction, const SegmentExists& exists);

}  // namespace dunax::manager
