// The counts line: how the converter tells the manager that ran it the records it read and wrote
// and the extra segments of the transfer set, without touching its run parameter or exit codes.
// The manager sets the variable to "1" for its children; the converter then ends every run that
// began converting with one line on standard error:
//   DUNAXMF counts: read N written M segments S
// (decimal). Without the variable no line is written.
#pragma once

#include <string_view>

namespace dunax::layouts {

inline constexpr char kCountsVariable[] = "DUNAX_COUNTS";
inline constexpr std::string_view kCountsVariableOn = "1";
inline constexpr std::string_view kCountsLineStart = "DUNAXMF counts: read ";
inline constexpr std::string_view kCountsWritten = " written ";
inline constexpr std::string_view kCountsSegments = " segments ";

}  // namespace dunax::layouts
