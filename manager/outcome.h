// What became of each file of a run: the reading of the converter's exit code and of the reason
// it gave on standard error, the summary table printed at the end, and the manager's own exit
// code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "manager/converter_counts.h"

namespace dunax::manager {

// The manager's exit codes.
inline constexpr int kExitAllConverted = 0;
inline constexpr int kExitSomeSkipped = 1;
inline constexpr int kExitStoppedOrFailed = 2;
inline constexpr int kExitBadUsage = 64;

enum class Outcome {
  NotStarted,  // the run stopped before this file's turn
  Converted,   // exit code 0 to 9
  Skipped,     // exit code 32: the file is given up, the run goes on
  Stopped,     // exit code 16: the whole run is to stop
  Failed,      // any other exit code, a signal, or the converter could not be started
  Unchanged,   // --resume: converted by an earlier run, its files as that run left them
};

// How one converter run ended, as far as the manager needs it.
struct ConverterEnd {
  bool started = true;   // false: the converter could not be started
  bool exited = false;   // ended with an exit code (otherwise by a signal)
  int exitCode = 0;
  int signal = 0;
  std::string errorText;  // what the converter wrote on its standard error
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
  std::string reason;       // why it was not converted, in words; empty when it was
  int exitCode = -1;        // the converter's exit code; -1 when it has none
  ConverterCounts counts;   // from the converter's counts line; unknown without one
  std::int64_t bytes = -1;  // of the transfer set the run wrote or read; -1 unknown
  std::string started;      // when the converter started (ISO 8601, UTC); empty if never
};

// Returns the word for an outcome in the summary ("converted", "skipped", ...).
const char* describeOutcome(Outcome outcome);

// The converter's words about one file, read from its standard error.
struct ConverterWords {
  std::string reason;      // the reason it gave; empty when it gave none
  std::string otherLines;  // every other line but the counts line, each ending in a newline
  ConverterCounts counts;  // the counts line's; unknown when there was none
};

// Reads what the converter wrote on standard error for the data file fileName (its name as in
// the run parameter, Windows-1252; the same name in UTF-8 is taken too). The reason is the text
// after "DUNAXMF: <fileName>: " on the last line that starts so; the counts are the last counts
// line's.
ConverterWords readConverterWords(const std::string& errorText, const std::string& fileName);

// Returns why a file was not converted, from how its run ended and the converter's reason:
// the reason as given for exit codes 32 and 16 (for 32 "given up (no reason given by the
// converter)" when there is none); "unexpected exit code N" or "the converter ended by signal N
// (NAME)" for a failure, followed by ": " and the reason when there is one; "the converter could
// not be started: " and startError for a converter that could not be started. Empty for a file
// that was converted.
std::string reasonOf(const ConverterEnd& end, const std::string& converterReason,
                     const std::string& startError);

// Returns count with a comma between each group of three digits ("1,250,000").
std::string groupedCount(std::int64_t count);

// Returns the summary table: a header line, one line per file (number, name, outcome,
// segments, records written, seconds, reason) and a closing line counting each outcome (the
// unchanged ones when there are any) and the records read and written by the files whose
// counts are known.
std::string formatSummary(const std::vector<FileResult>& results);

// Returns the manager's exit code for a finished run: 2 when any file failed, was stopped or
// was never started (the run was stopped), else 1 when any file was skipped, else 0 (an
// unchanged file counts as converted).
int exitCodeOf(const std::vector<FileResult>& results);

}  // namespace dunax::manager
