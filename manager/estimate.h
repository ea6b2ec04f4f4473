// The remaining-time estimate the manager passes to each converter run: measured from the time
// the files finished so far took.
#pragma once

#include <cstdint>

#include "manager/run_parameter.h"

namespace dunax::manager {

// Returns the estimate for a file about to start: the mean seconds per finished file
// (finishedSeconds / finishedFiles) times the files left including this one, divided by the
// number of files converted side by side (jobs, at least 1), rounded to the nearest second.
// Returns zero time when no file has finished yet, and for negative or non-finite input.
RemainingTime estimateRemaining(double finishedSeconds, std::uint64_t finishedFiles,
                                std::uint64_t filesLeft, unsigned jobs);

// Returns seconds split into days, hours, minutes and seconds; 999 days 23:59:59 at most
// (what the run parameter's three digits of days can hold).
RemainingTime splitSeconds(std::uint64_t seconds);

}  // namespace dunax::manager
