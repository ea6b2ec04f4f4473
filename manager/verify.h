// dunaxconv verify: each data file read through its record-access program and compared record
// by record with its transfer set, as a conversion in direction "B" would have written it.
#pragma once

#include <cstddef>
#include <vector>

#include "manager/conversion_run.h"

namespace dunax::manager {

// Returns the offset (0 to 1023) of the first byte where a record read from the data file and
// its transfer record differ, or -1 when they are the same. Past recordLength (1 to 1024; 0
// compares all 1024 bytes strictly) a space and a zero byte count as the same: both are the
// padding of a shorter record.
int firstDifference(const unsigned char* dataRecord, const unsigned char* transferRecord,
                    std::size_t recordLength);

// Compares every file (files in their folders, as for a conversion) with its transfer set and
// prints one line each: "FILE: same (N records)", the first record that differs and its first
// differing byte, the two counts when one side is longer, or why a side cannot be read.
// Returns 0 when every file is the same, 1 otherwise, 64 (after one line, nothing read) when a
// file has no transfer set.
int verifyDataFiles(const RunSettings& settings, const std::vector<DataFile>& files);

}  // namespace dunax::manager
