// One run of the manager: the data files converted one converter run each, several side by
// side when allowed, with the reaction to every exit code. The processes, the clock and the
// file system are reached through ConverterHost, so that the whole run can be played in tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "manager/outcome.h"
#include "manager/run_parameter.h"

namespace dunax::manager {

// startConverter's answers other than a job id.
inline constexpr int kConverterNotStarted = -1;  // the converter itself cannot be started
inline constexpr int kFolderUnusable = -2;       // the data file's folder cannot be entered

// The outside world of a run.
class ConverterHost {
 public:
  virtual ~ConverterHost() = default;

  // Starts one converter run with parameter as its only argument, in folder (the data file's
  // folder in the host's form; empty for the current directory). Returns a job id (> 0) that
  // waitForConverter reports back; kConverterNotStarted or kFolderUnusable (*error says why).
  virtual int startConverter(const RunParameterText& parameter, const std::string& folder,
                             std::string* error) = 0;

  // Waits until one of the started runs ends. Returns its job id and how it ended; a job id of
  // -1 when no run is left to wait for.
  virtual int waitForConverter(ConverterEnd* end) = 0;

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
};

// One data file to convert. The converter runs in the file's folder and is given the file's own
// name, so the name's width limit is the name's, not the path's.
struct DataFile {
  std::string name;           // as given (UTF-8), for the operator
  std::string windows1252;    // its own name without the folder, as it goes into the run
                              // parameter (checked to fit)
  std::string folder;         // its folder in the host's form; empty for the current directory
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
// file's end is told in a line with the reason when it was not converted; the converter's other
// lines on standard error are passed on. Returns the result of every file.
RunReport runConversion(const RunPlan& plan, ConverterHost& host);

}  // namespace dunax::manager
