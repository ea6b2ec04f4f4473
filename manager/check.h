// dunaxconv --check: everything that would keep a file of the run from starting or finishing,
// found before anything is converted: the up-front refusals, the leftovers of killed runs, a
// conversion of the file running now, and the room its output needs on its file system.
#pragma once

#include <string>
#include <vector>

#include "manager/conversion_run.h"
#include "manager/file_clashes.h"
#include "manager/transfer_set_checks.h"

namespace dunax::manager {

// Checks plan.files (problems holds those already found: names, the program) and prints one
// line per problem, then a summary: the files, the bytes needed and free. Converts nothing.
// Returns 0 when every file would start, 64 when there is a problem.
int checkRun(const RunPlan& plan, std::vector<std::string> problems, const FileKeyOf& fileKeyOf,
             const SegmentExists& segmentExists);

}  // namespace dunax::manager
