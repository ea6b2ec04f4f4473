// The batch line: every 10 seconds of a run without a terminal, one line on how far the whole
// run has come (files done of all, records, MB/s, time left), printed by a thread of its own so
// that it comes while a long file is still being converted.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "manager/conversion_run.h"

namespace dunax::manager {

inline constexpr double kBatchLineSeconds = 10.0;

// Returns the batch line for progress at nowSeconds (the same clock as progress.startSeconds):
// "batch: 12 of 40 files done, 3,000,000 records, 210 MB/s, about 2 min 5 s left". The time
// left is the time so far for each file done times the files left; it is not given before the
// first file is done.
std::string batchLine(const BatchProgress& progress, double nowSeconds);

// Calls tell with the batch line of the latest progress every kBatchLineSeconds (on the clock
// now) until stopped; nothing once every file is done.
class BatchTicker {
 public:
  BatchTicker(std::function<double()> now, std::function<void(const std::string&)> tell);
  ~BatchTicker();  // stops the thread
  BatchTicker(const BatchTicker&) = delete;
  BatchTicker& operator=(const BatchTicker&) = delete;

  void update(const BatchProgress& progress);
  void stop();

 private:
  void run();

  std::function<double()> now_;
  std::function<void(const std::string&)> tell_;
  std::mutex mutex_;
  std::condition_variable wake_;
  BatchProgress progress_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace dunax::manager
