// The migration report: one JSON object a line for each file of a run (--report), and the
// reading of such a line back (--resume).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "manager/outcome.h"
#include "platform/status.h"

namespace dunax::manager {

// One file's line. Numbers of -1 and empty texts are written as null.
struct ReportEntry {
  std::string file;            // absolute path, UTF-8
  char direction = 'B';
  std::string program;         // as in the run parameter (upper case)
  std::string outcome;         // reportOutcomeWord
  int exitCode = -1;
  std::string reason;
  std::int64_t recordsRead = -1;
  std::int64_t recordsWritten = -1;
  int segments = -1;
  std::string transferSha256;  // of the transfer set: ".bin", then ".bi1" ... as far as used
  std::string dataSha256;      // of the data file
  std::int64_t bytes = -1;     // of the transfer set
  std::string started;         // ISO 8601, UTC
  double seconds = 0;
};

// Returns the report's word for an outcome: "converted", "skipped", "stopped", "failed",
// "not started", "unchanged".
const char* reportOutcomeWord(Outcome outcome);

// Returns the entry as one line of JSON (no newline). Text that is not UTF-8 is written with
// U+FFFD in place of the bytes that are not.
std::string reportLine(const ReportEntry& entry);

// Reads one line of a report back. Fails (InvalidName) with what is wrong: not JSON, not an
// object, a field missing or of the wrong kind, an outcome or direction that is none of ours.
platform::Expected<ReportEntry> readReportLine(std::string_view line);

}  // namespace dunax::manager
