// The inventory listing (verb "DIR  "): the data files under "COMUNS" and under every "EMP???"
// directory, four levels deep, written to a line-sequential listing file.
#pragma once

#include <cstddef>

#include "executor/job.h"

namespace dunax::executor {

// Limits of the walk: level-1 directories, and subdirectories recorded per parent at levels 2,
// 3 and 4.
inline constexpr std::size_t kLevel1Slots = 500;
inline constexpr std::size_t kLevel2Slots = 20;
inline constexpr std::size_t kLevel3Slots = 30;
inline constexpr std::size_t kLevel4Slots = 30;
inline constexpr std::size_t kListingRecordLength = 80;

// Makes sure "tmp" is there as a directory, then writes the listing file named by argument 1
// and answers with the number of files listed (positions 1-16), the date and time of "tmp"
// (17-30) and the total of their sizes (57-72), spaces elsewhere.
// Fails ("E") without touching anything when the listing file's name is a drive or network
// name without its mapping (or climbs out of it), and without writing anything when a file
// named "tmp" is in the way; fails when "tmp" cannot be created (the walk is still carried
// out); fails when the listing file cannot be opened or written (the count and total then
// cover the records written).
void listInventory(Job& job);

// Returns true when the entry name is a data file's: no "." among its first ten characters.
bool isDataFileName(const char* name, std::size_t length);

}  // namespace dunax::executor
