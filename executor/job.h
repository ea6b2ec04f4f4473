// One request being carried out: the exchange record as received (handlers write their
// results into its arguments) and the error flag (space = success, "E" = failure).
#pragma once

#include "executor/records.h"

namespace dunax::executor {

inline constexpr char kFlagSuccess = ' ';
inline constexpr char kFlagError = 'E';

struct Job {
  ExchangeRecord record;
  char errorFlag = kFlagSuccess;

  void fail() { errorFlag = kFlagError; }
  void succeed() { errorFlag = kFlagSuccess; }
  bool failed() const { return errorFlag == kFlagError; }
};

}  // namespace dunax::executor
