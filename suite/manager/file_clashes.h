// Data files of one run that would overwrite each other: one file under two names, or a
// transfer file (its first segment or one of the nine further ones) that is also a transfer file
// or the data file of another file of the run. Names are compared by their real paths.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "suite/manager/conversion_run.h"

namespace dunax::manager {

// The real path of a name as the converter and the record-access program open it (the
// Windows-1252 bytes, "\" read as "/"): the same text for every name of one file.
using RealPathOf = std::function<std::string(const std::string&)>;

// Returns one message per file of files that clashes with a file before it (at most one message
// per file, naming both files as given); empty when no two files meet.
std::vector<std::string> findFileClashes(const std::vector<DataFile>& files,
                                         const RealPathOf& realPathOf);

}  // namespace dunax::manager
