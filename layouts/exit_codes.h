// The converter's exit codes: how a run of one data file ends, as the converter gives it and the
// conversion manager reads it.
#pragma once

#include "layouts/transfer_segments.h"

namespace dunax::layouts {

// 0 to 9: the file was converted; in direction "B" the number of extra transfer-file segments
// written.
inline constexpr int kExitMostConverted = kMostExtraSegments;
// 16: abort the whole conversion; no further file is to be converted.
inline constexpr int kExitAbortConversion = 16;
// 32: this file is given up; the conversion goes on with the next one.
inline constexpr int kExitGiveUpFile = 32;

}  // namespace dunax::layouts
