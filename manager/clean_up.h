// dunaxconv --clean-up FOLDER...: the leftovers of killed runs in each folder (not in its
// subfolders) removed, but never those of a run that holds its lock now, and never those of a
// publish that a journal describes (the next run of that file completes it: removing its
// temporaries could leave a set mixed of two runs).
#pragma once

#include <string>
#include <vector>

namespace dunax::manager {

// Returns true when the arguments ask for --clean-up (before any "--").
bool asksForCleanUp(const std::vector<std::string>& arguments);

// The transfer name (segment 0's name, Windows-1252) that the temporary of segment name
// segmentName belongs to: segmentName itself for segment 0; for a further segment the name whose
// marked character is not a digit, found among folderNames (the folder's entries, whose own
// endings are looked past) when the marked character lies inside the data file's name. Empty
// when it cannot be told.
std::string transferNameOfSegment(const std::string& segmentName,
                                  const std::vector<std::string>& folderNames);

// Runs --clean-up with its arguments (the folders, "--clean-up" and "--quiet" among them; with
// "--help" or "--version" only that is printed). Prints what it
// removed and freed, and what it left and why. Returns 0 when everything found was removed, 1
// when something was left (held by a running conversion, kept for its journal, or not
// removable), 64 for bad usage (no folder, another option, a folder that cannot be read).
int runCleanUp(const std::vector<std::string>& arguments);

}  // namespace dunax::manager
