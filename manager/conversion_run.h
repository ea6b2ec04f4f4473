// One run of the manager: the data files converted one converter run each, several side by
// side when allowed, with the reaction to every exit code. The processes, the clock and the
// file system are reached through ConverterHost, so that the whole run can be played in tests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "manager/outcome.h"
#include "manager/run_parameter.h"

namespace dunax::manager {

// How far a run has come, for a line now and then that shows the whole batch.
struct BatchProgress {
  std::size_t filesDone = 0;   // ended, however (unchanged ones included)
  std::size_t filesTotal = 0;
  std::int64_t records = 0;    // written by the files done, as their counts say
  std::int64_t bytes = 0;      // of the transfer sets of the files converted
  double startSeconds = 0;     // when the run began, on the host's clock (secondsNow)
  double busySeconds = 0;      // the converters' own times, all files together
  unsigned jobs = 1;
};

// The outside world of a run.
class ConverterHost {
 public:
  virtual ~ConverterHost() = default;

  // Succeeds when a converter can run in folder (the data file's folder in the host's form;
  // empty for the current directory); otherwise fails with why it cannot be entered.
  virtual platform::Status checkFolder(const std::string& folder) = 0;

  // Starts one converter run with parameter as its only argument, in folder (as for
  // checkFolder). Returns a job id that waitForConverter reports back; fails with why the
  // converter could not be started.
  virtual platform::Expected<int> startConverter(const RunParameterText& parameter,
                                                 const std::string& folder) = 0;

  // Waits until one of the started runs ends. Returns its job id and how it ended; fails when
  // no run is left to wait for or the wait itself failed.
  virtual platform::Expected<int> waitForConverter(ConverterEnd* end) = 0;

  // Returns the seconds on a clock that never goes back.
  virtual double secondsNow() = 0;

  // Returns true when a file of that name (Windows-1252, as the converter would open it) exists
  // in folder (as for startConverter).
  virtual bool fileExists(const std::string& folder, const std::string& windows1252Name) = 0;

  // Returns true once the operator asked the manager itself to stop.
  virtual bool stopRequested() = 0;

  // Shows one line of progress to the operator.
  virtual void tell(const std::string& line) = 0;

  // Passes on lines the converter wrote on standard error besides its reason (each ends in a
  // newline).
  virtual void passOn(const std::string& converterLines) = 0;

  // Returns the time of day in ISO 8601, UTC ("2026-12-09T19:30:00Z"); empty when unknown.
  virtual std::string timestampNow() { return {}; }

  // Returns the size of the file of that name (as for fileExists) in bytes; -1 when unknown.
  virtual std::int64_t fileBytes(const std::string& /*folder*/,
                                 const std::string& /*windows1252Name*/) {
    return -1;
  }

  // Hears that file number index (0-based) of the plan ended with result: once per file, in
  // the order they end; the files never started at the end of the run.
  virtual void fileEnded(std::size_t /*index*/, const FileResult& /*result*/) {}

  // Hears how far the run has come, at its start and after each file.
  virtual void progressed(const BatchProgress& /*progress*/) {}
};

// One data file to convert. The converter runs in the file's folder and is given the file's own
// name, so the name's width limit is the name's, not the path's.
struct DataFile {
  std::string name;           // as given (UTF-8), for the operator
  std::string windows1252;    // its own name without the folder, as it goes into the run
                              // parameter (checked to fit)
  std::string folder;         // its folder in the host's form; empty for the current directory
  // --resume: what an earlier run reported of this file, when its files are still as that run
  // left them: the file is not converted again and ends with this result (outcome Unchanged).
  std::optional<FileResult> unchanged;
};

struct RunPlan {
  RunSettings settings;
  std::vector<DataFile> files;  // at most kMostFiles
  unsigned jobs = 1;            // converter runs side by side, at least 1
  bool tellStarts = false;      // tell a line as each file starts, not only as it ends
};

struct RunReport {
  std::vector<FileResult> results;  // one per file, in the order of the plan
  std::string stopReason;           // empty when the run went through to the end
};

// Converts every file of the plan in order, starting up to plan.jobs converter runs at a time.
// Each file gets its run parameter: its number and the total, the estimate from the files
// finished so far, and in direction "X" the count of its extra segments present in its folder.
// Exit code 32 (and a folder that cannot be entered) gives the file up and goes on; 16, any
// other code outside 0 to 9, a signal, a converter that cannot be started, or a stop request
// from the operator start no further file while the runs already started are waited for. Each
// file's end is told in a line with its counts and speed, or the reason when it was not
// converted; the converter's other lines on standard error (but its counts line) are passed on.
// A file the plan holds as unchanged is not started: it ends at its turn with its carried
// result. Every file's end is handed to host.fileEnded. Returns the result of every file.
RunReport runConversion(const RunPlan& plan, ConverterHost& host);

}  // namespace dunax::manager
