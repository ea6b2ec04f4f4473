// Data files of one run that would overwrite each other: one file under two names, or a
// transfer file (its first segment or one of the nine further ones) that is also a transfer file
// or the data file of another file of the run. Names are compared by the files they reach.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "manager/conversion_run.h"

namespace dunax::manager {

// What a name reaches, as the converter and the record-access program open it from the folder
// of file (the name is Windows-1252, "\" a separator): the same text for every name of one file,
// hard links included, and different texts for different files.
using FileKeyOf = std::function<std::string(const DataFile& file, const std::string& name)>;

// Returns one message per file of files that clashes with a file before it (at most one message
// per file, naming both files as given); empty when no two files meet.
std::vector<std::string> findFileClashes(const std::vector<DataFile>& files,
                                         const FileKeyOf& fileKeyOf);

}  // namespace dunax::manager
