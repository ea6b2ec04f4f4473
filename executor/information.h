// The information lookup shared by the handlers: size, date and time of one name written into
// the first 30 positions of argument 1 (the information layout).
#pragma once

#include "executor/job.h"
#include "platform/directory_search.h"

namespace dunax::executor {

// Writes the information layout of entry into the first 30 bytes of area: size (16 digits),
// day, month, year (1980 + the packed year, "0000" when that is 0), hour, minute and the packed
// two-second count (00-29), each zero-padded. A null entry writes the layout of nothing found:
// all digits zero.
void writeInformationLayout(char* area, const platform::DirectoryEntry* entry);

// The information lookup: looks up the name in argument 1 (up to its first space, through the
// drive and network mappings) and writes its information layout into positions 1-30 of
// argument 1; positions 31-80 keep their bytes. Returns true when the name was found; false
// when it was not (a blank name or one that maps to no host path included), and then
// the error flag is set to "E". It never sets the flag back to space. found, when given,
// receives the entry.
bool lookUpInformation(Job& job, platform::DirectoryEntry* found = nullptr);

// Writes value as width decimal digits, zero-padded (the lowest digits when it is longer).
using layouts::putDigits;

}  // namespace dunax::executor
