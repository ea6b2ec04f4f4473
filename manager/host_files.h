// What dunaxconv asks of the host's file system before and during a run: whether a segment of
// a transfer set is there, what a file of the run reaches (to find two names of one file), and
// whether the converter will find its record-access program, with the module search path made
// to hold from the data files' folders.
#pragma once

#include <string>

#include "platform/status.h"
#include "manager/conversion_run.h"

namespace dunax::manager {

// The variable of the module search path the converter reads.
inline constexpr char kModulePathVariable[] = "COB_LIBRARY_PATH";

// A name in a file's folder (empty: the current directory), as it is opened from here.
std::string inFolder(const std::string& folder, const std::string& name);

// The real path of a name of this host for comparing files; the name in the host's form when
// it cannot be had.
std::string realPathOrName(const std::string& name);

// What a name of a file of the run (Windows-1252, its own name without the folder) reaches, as
// the converter opens it in the file's folder: the file's identity (device and number, the
// same for hard links) when it exists, otherwise its real path.
std::string fileKeyOf(const DataFile& file, const std::string& windows1252Name);

// Whether the segment windows1252Name in folder is there, named as the converter names it
// (platform::hostNameFromRecord). It counts as present unless opening it says it does not
// exist: a segment that is there but unreadable, or a name this host cannot spell, is left for
// the converter to report.
bool segmentExists(const std::string& folder, const std::string& windows1252Name);

// The converters run in their data files' folders: relative folders of the module search path
// are made absolute first, so that they still name the folders meant.
void makeModulePathAbsolute();

// Succeeds when the converter at converterPath will find the record-access program
// (Windows-1252) by its search; otherwise fails with what cannot be found, where it was looked
// for, and what to do.
platform::Status checkProgramFound(const std::string& program, const std::string& converterPath);

}  // namespace dunax::manager
