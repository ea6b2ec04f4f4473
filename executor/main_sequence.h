// The executor's main sequence: library start-up, placeholder window, one fetch, the command,
// the reply, the wait for the end message and the end of the run.
#pragma once

#include "executor/job.h"
#include "executor/screen_program.h"

namespace dunax::executor {

// How many times a reply the library refuses is posted, and the pause between two posts.
inline constexpr int kReplyPostAttempts = 20;
inline constexpr int kReplyPostPauseMilliseconds = 100;

// Exit code of a run whose screen library cannot be found under either name.
inline constexpr int kExitLibraryMissing = 255;

// Carries out the fetched request: only a request (type word "PERG") is dispatched; anything
// else is answered with the error flag set and nothing run.
void carryOutRequest(Job& job);

// Runs the whole sequence with library.
// Returns the program's exit code: the value the last library call returned, or
// kExitLibraryMissing when the library cannot be reached at start-up (reported on standard
// error with the loader's words).
int runMainSequence(ScreenProgram& library);

}  // namespace dunax::executor
