// Helpers of the executor's tests: each test in a fresh current directory, and requests built
// as a client builds them, with their argument fields read back.
#pragma once

#include <cstring>
#include <string>

#include "executor/job.h"
#include "tests/support/in_fresh_directory.h"
#include "tests/support/test_support.h"

namespace dunax::executor::testing {

using dunax::testing::padded;
using dunax::testing::readFile;
using dunax::testing::ScopedVariable;
using dunax::testing::writeFile;

// Each test in a fresh temporary directory, made the current one.
using TempDirectoryTest = dunax::testing::InFreshDirectory;

// A request as a client posts it: tag, stamp "12345678", type "PERG", verb, arguments, and a
// recognisable rest.
inline Job makeJob(const std::string& verb, const std::string& argument1 = "",
                   const std::string& argument2 = "") {
  Job job;
  std::memset(&job.record, ' ', sizeof job.record);
  std::memcpy(&job.record, "#VRD#12345678PERG", 17);
  putPadded(job.record.verb, 5, verb);
  putPadded(job.record.argument1, 80, argument1);
  putPadded(job.record.argument2, 80, argument2);
  for (std::size_t i = 0; i < sizeof job.record.rest; ++i) {
    job.record.rest[i] = static_cast<char>('a' + i % 26);
  }
  job.errorFlag = kFlagSuccess;
  return job;
}

inline std::string argument1Of(const Job& job) { return std::string(job.record.argument1, 80); }
inline std::string argument2Of(const Job& job) { return std::string(job.record.argument2, 80); }
// An argument field: text padded to its 80 characters.
inline std::string padded(const std::string& text) { return dunax::testing::padded(text, 80); }

}  // namespace dunax::executor::testing
