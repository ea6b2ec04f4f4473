// The writer of the migration report: a thread of its own takes each file's entry as the file
// ends, digests its transfer set and data file when it was converted (while further converters
// run), and writes and flushes the entry's line.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "manager/migration_report.h"
#include "platform/line_file.h"
#include "platform/status.h"

namespace dunax::manager {

// One file's entry and, for a file just converted, the files to digest.
struct ReportJob {
  ReportEntry entry;
  bool digest = false;
  std::vector<std::string> transferNames;  // segment 0, 1, ... as the manager names them
  std::string dataName;
};

// Takes the digests of job's files into its entry: transfer_sha256 and bytes of the transfer
// set, data_sha256 of the data file. Returns the first failure (the entry keeps null there).
platform::Status takeDigests(ReportJob& job);

class ReportWriter {
 public:
  ReportWriter() = default;
  ~ReportWriter();  // finishes
  ReportWriter(const ReportWriter&) = delete;
  ReportWriter& operator=(const ReportWriter&) = delete;

  // Opens (empties) the report and starts the thread; fails when the report cannot be written.
  platform::Status open(const std::string& name);
  // Hands one file's entry to the thread.
  void submit(ReportJob job);
  // Writes what is left and stops the thread. Returns the first failure of a digest or of a
  // write (success when all went in).
  platform::Status finish();

 private:
  void run();

  platform::LineFile file_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<ReportJob> jobs_;
  bool finishing_ = false;
  platform::Status failure_;
  std::thread thread_;
};

}  // namespace dunax::manager
