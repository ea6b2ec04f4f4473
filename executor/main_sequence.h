// The executor's main sequence: library start-up, placeholder window, one fetch, the command,
// the reply, the wait for the end message and the end of the run.
#pragma once

#include <optional>
#include <string>

#include "executor/job.h"
#include "executor/screen_program.h"
#include "platform/clock.h"

namespace dunax::executor {

// How many times a reply the library refuses is posted, and the pause between two posts.
inline constexpr int kReplyPostAttempts = 20;
inline constexpr int kReplyPostPauseMilliseconds = 100;

// Exit code of a run whose screen library cannot be found under either name.
inline constexpr int kExitLibraryMissing = 255;

// How far a request's stamp may lie from this run's time of day for it to be carried out: a
// request left behind by a client that gave up (or an end message of an earlier exchange) is
// older than that.
inline constexpr int kRequestAgeLimitSeconds = 30;

// Reads the time of day as 8 digits HHMMSScc (platform::timeOfDayHundredths).
using TimeOfDayReader = void (*)(char out[8]);

// Judges the age of a request by its stamp (the client's time of day HHMMSScc when it began)
// against now (this run's, the same form), the day taken as a circle so that midnight does not
// matter. Returns nothing when the stamp lies at most kRequestAgeLimitSeconds before now, or as
// much after it (a clock set back a little, or read a hundredth apart, refuses nothing);
// otherwise why the request is refused, in words for the reply: too old, too far ahead, or a
// stamp that is no time of day (not 8 digits, an hour over 23, a minute or second over 59).
std::optional<std::string> judgeRequestAge(const char* stamp, const char* now);

// Carries out the fetched request: only a request (type word "PERG") is dispatched; anything
// else is answered with the error flag set, a reason and nothing run.
void carryOutRequest(Job& job);

// Runs the whole sequence with library, judging the request's age by the time of day that
// readClock gives. A request too old by its stamp is answered "ERRO " with the reason and
// nothing is carried out.
// Returns the program's exit code: the value the last library call returned, or
// kExitLibraryMissing when the library cannot be reached at start-up (reported on standard
// error with the loader's words).
int runMainSequence(platform::ScreenProgram& library,
                    TimeOfDayReader readClock = platform::timeOfDayHundredths);

}  // namespace dunax::executor
