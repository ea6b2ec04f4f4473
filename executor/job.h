// One request being carried out: the exchange record as received (handlers write their
// results into its arguments), the error flag (space = success, "E" = failure), and the notes
// of the reply: why it failed, and the exit status of a command that ran.
#pragma once

#include <string>
#include <string_view>

#include "executor/records.h"

namespace dunax::executor {

inline constexpr char kFlagSuccess = ' ';
inline constexpr char kFlagError = 'E';

struct Job {
  ExchangeRecord record;
  char errorFlag = kFlagSuccess;
  std::string reason;     // Windows-1252; the last reason given with a failure
  int exitStatus = -1;    // the command's exit status; -1 when no command ran

  void fail() { errorFlag = kFlagError; }
  // Fails and keeps why (a text for the reply's notes, cut there to its field).
  void fail(std::string_view why) {
    errorFlag = kFlagError;
    reason.assign(why);
  }
  // Succeeds; a reason given before is forgotten.
  void succeed() {
    errorFlag = kFlagSuccess;
    reason.clear();
  }
  bool failed() const { return errorFlag == kFlagError; }
};

}  // namespace dunax::executor
