// The counts line a manager asks for (layouts/converter_counts.h): the records this run read
// and wrote and the extra segments of its transfer set, one line on standard error at its end.
#pragma once

#include <cstdint>
#include <string>

namespace dunax::converter {

// Returns the counts line for a run of direction ("B" reads the data file and writes the
// transfer set, "X" the other way round) with the data side's and the transfer side's counts.
std::string countsLine(char direction, std::uint64_t dataSide, std::uint64_t transferSide,
                       int extraSegments);

// Writes the counts line on standard error when the manager asked for it (the variable is
// "1"); writes nothing otherwise, so that a run by hand prints what it always printed.
void reportCounts(char direction, std::uint64_t dataSide, std::uint64_t transferSide,
                  int extraSegments);

}  // namespace dunax::converter
