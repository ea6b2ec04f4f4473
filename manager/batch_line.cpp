// The batch line and the thread that prints it.
#include "manager/batch_line.h"

#include <chrono>
#include <cmath>
#include <cstdio>

namespace dunax::manager {
namespace {

std::string durationText(double seconds) {
  const long long whole = std::llround(seconds);
  const long long hours = whole / 3600;
  const long long minutes = whole % 3600 / 60;
  const long long rest = whole % 60;
  if (hours > 0) return std::to_string(hours) + " h " + std::to_string(minutes) + " min";
  if (minutes > 0) return std::to_string(minutes) + " min " + std::to_string(rest) + " s";
  return std::to_string(rest) + " s";
}

}  // namespace

std::string batchLine(const BatchProgress& progress, double nowSeconds) {
  double elapsed = nowSeconds - progress.startSeconds;
  if (elapsed < 0) elapsed = 0;
  std::string line = "batch: " + std::to_string(progress.filesDone) + " of " +
                     std::to_string(progress.filesTotal) + " files done, " +
                     groupedCount(progress.records) + " records";
  if (elapsed > 0) {
    char speed[48];
    std::snprintf(speed, sizeof speed, ", %.0f MB/s",
                  static_cast<double>(progress.bytes) / 1e6 / elapsed);
    line += speed;
  }
  if (progress.filesDone == 0) return line + ", time left not known yet";
  const double left = elapsed / static_cast<double>(progress.filesDone) *
                      static_cast<double>(progress.filesTotal - progress.filesDone);
  return line + ", about " + durationText(left) + " left";
}

BatchTicker::BatchTicker(std::function<double()> now, std::function<void(const std::string&)> tell)
    : now_(std::move(now)), tell_(std::move(tell)), thread_([this] { run(); }) {}

BatchTicker::~BatchTicker() { stop(); }

void BatchTicker::update(const BatchProgress& progress) {
  const std::lock_guard<std::mutex> lock(mutex_);
  progress_ = progress;
}

void BatchTicker::stop() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void BatchTicker::run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    const auto period = std::chrono::duration<double>(kBatchLineSeconds);
    if (wake_.wait_for(lock, period, [this] { return stopping_; })) return;
    if (progress_.filesTotal == 0 || progress_.filesDone >= progress_.filesTotal) continue;
    const std::string line = batchLine(progress_, now_());
    tell_(line);
  }
}

}  // namespace dunax::manager
