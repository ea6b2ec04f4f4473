// --resume: an earlier run's report read back, and the files it shows converted whose transfer
// set and data file are still as that run left them.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "manager/migration_report.h"
#include "manager/outcome.h"
#include "platform/status.h"

namespace dunax::manager {

// Reads the report named; returns its entries by their "file", a later line of a file
// replacing an earlier one (blank lines are left out). Fails (InvalidName) with one line: the
// report cannot be read, or its line N is not a report's line (and why).
platform::Expected<std::map<std::string, ReportEntry>> readResumeReport(const std::string& name);

// The earlier run's result of a file when it carries over: the entry says "converted" or
// "unchanged" for the same direction and program, and the files named still have its
// digests: the transfer set (segments 0 to the entry's segments, named by segmentName) and the
// data file. Otherwise nothing: the file is converted again.
std::optional<FileResult> carriedResult(const ReportEntry& earlier, char direction,
                                        const std::string& program,
                                        const std::vector<std::string>& transferNames,
                                        const std::string& dataName);

}  // namespace dunax::manager
