// What became of each file of a run: the reading of the converter's exit code, the summary
// table printed at the end, and the manager's own exit code.
#pragma once

#include <string>
#include <vector>

namespace dunax::manager {

// The manager's exit codes.
inline constexpr int kExitAllConverted = 0;
inline constexpr int kExitSomeSkipped = 1;
inline constexpr int kExitStoppedOrFailed = 2;
inline constexpr int kExitBadUsage = 64;

// The converter's exit codes as the manager reads them.
inline constexpr int kConverterAbortRun = 16;
inline constexpr int kConverterSkipFile = 32;
inline constexpr int kConverterMostSegments = 9;

enum class Outcome {
  NotStarted,  // the run stopped before this file's turn
  Converted,   // exit code 0 to 9
  Skipped,     // exit code 32: the file is given up, the run goes on
  Stopped,     // exit code 16: the whole run is to stop
  Failed,      // any other exit code, a signal, or the converter could not be started
};

// How one converter run ended, as far as the manager needs it.
struct ConverterEnd {
  bool started = true;   // false: the converter could not be started
  bool exited = false;   // ended with an exit code (otherwise by a signal)
  int exitCode = 0;
  int signal = 0;
};

// Returns the outcome of one converter run: Converted for exit codes 0 to 9, Skipped for 32,
// Stopped for 16, and Failed for every other exit code, for an end by a signal and for a
// converter that could not be started.
Outcome outcomeOf(const ConverterEnd& end);

// Returns true when an outcome ends the run: no further file is started after it.
bool stopsRun(Outcome outcome);

struct FileResult {
  std::string name;         // as given (UTF-8)
  Outcome outcome = Outcome::NotStarted;
  int segments = -1;        // extra transfer-file segments written ("B") or read ("X"); -1 unknown
  double seconds = 0;       // how long the converter ran
  std::string detail;       // why it failed: "exit code 5", "ended by signal 11", ...
};

// Returns the word for an outcome in the summary ("converted", "skipped", ...).
const char* describeOutcome(Outcome outcome);

// Returns the detail for a failed run: "exit code N", "ended by signal N (NAME)" or, for a
// converter that could not be started, startError.
std::string describeFailure(const ConverterEnd& end, const std::string& startError);

// Returns the summary table: a header line, one line per file (number, name, outcome,
// segments, seconds, detail) and a closing line counting each outcome.
std::string formatSummary(const std::vector<FileResult>& results);

// Returns the manager's exit code for a finished run: 2 when any file failed, was stopped or
// was never started (the run was stopped), else 1 when any file was skipped, else 0.
int exitCodeOf(const std::vector<FileResult>& results);

}  // namespace dunax::manager
