// The remaining-time estimate: mean time per finished file times the files left.
#include "manager/estimate.h"

#include <cmath>

namespace dunax::manager {
namespace {

constexpr std::uint64_t kMostSeconds = 999ull * 86400 + 86399;

}  // namespace

RemainingTime splitSeconds(std::uint64_t seconds) {
  if (seconds > kMostSeconds) seconds = kMostSeconds;
  RemainingTime time;
  time.days = static_cast<unsigned>(seconds / 86400);
  time.hours = static_cast<unsigned>(seconds / 3600 % 24);
  time.minutes = static_cast<unsigned>(seconds / 60 % 60);
  time.seconds = static_cast<unsigned>(seconds % 60);
  return time;
}

RemainingTime estimateRemaining(double finishedSeconds, std::uint64_t finishedFiles,
                                std::uint64_t filesLeft, unsigned jobs) {
  if (finishedFiles == 0 || !std::isfinite(finishedSeconds) || finishedSeconds <= 0) return {};
  if (jobs == 0) jobs = 1;
  double seconds = finishedSeconds / static_cast<double>(finishedFiles) *
                   static_cast<double>(filesLeft) / static_cast<double>(jobs);
  if (seconds >= static_cast<double>(kMostSeconds)) return splitSeconds(kMostSeconds);
  return splitSeconds(static_cast<std::uint64_t>(std::llround(seconds)));
}

}  // namespace dunax::manager
