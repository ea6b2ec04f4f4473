// One run of the manager: the data files converted one converter run each, several side by
// side when allowed, with the reaction to every exit code. The processes, the clock and the
// file system are reached through ConverterHost, so that the whole run can be played in tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "suite/manager/outcome.h"
#include "suite/manager/run_parameter.h"

namespace dunax::manager {

// The outside world of a run.
class ConverterHost {
 public:
  virtual ~ConverterHost() = default;

  // Starts one converter run with parameter as its only argument. Returns a job id (> 0) that
  // waitForConverter reports back; -1 when it could not be started (*error says why).
  virtual int startConverter(const RunParameter& parameter, std::string* error) = 0;

  // Waits until one of the started runs ends. Returns its job id and how it ended; a job id of
  // -1 when no run is left to wait for.
  virtual int waitForConverter(ConverterEnd* end) = 0;

  // Returns the seconds on a clock that never goes back.
  virtual double secondsNow() = 0;

  // Returns true when a file of that name (Windows-1252, as the converter would open it) exists.
  virtual bool fileExists(const std::string& windows1252Name) = 0;

  // Returns true once the operator asked the manager itself to stop.
  virtual bool stopRequested() = 0;

  // Shows one line of progress to the operator.
  virtual void tell(const std::string& line) = 0;
};

// One data file to convert.
struct DataFile {
  std::string name;           // as given (UTF-8), for the operator
  std::string windows1252;    // as it goes into the run parameter (checked to fit)
};

struct RunPlan {
  RunSettings settings;
  std::vector<DataFile> files;  // at most kMostFiles
  unsigned jobs = 1;            // converter runs side by side, at least 1
};

struct RunReport {
  std::vector<FileResult> results;  // one per file, in the order of the plan
  std::string stopReason;           // empty when the run went through to the end
};

// Converts every file of the plan in order, starting up to plan.jobs converter runs at a time.
// Each file gets its run parameter: its number and the total, the estimate from the files
// finished so far, and in direction "X" the count of its extra segments present on disk.
// Exit code 32 gives the file up and goes on; 16, any other code outside 0 to 9, a signal, a
// converter that cannot be started, or a stop request from the operator start no further file
// while the runs already started are waited for. Returns the result of every file.
RunReport runConversion(const RunPlan& plan, ConverterHost& host);

}  // namespace dunax::manager
