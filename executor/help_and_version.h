// The executor's answer to a person who runs it by hand with "--help" or "--version": what the
// program is and who starts it, or its version, on standard error. No request is fetched.
#pragma once

namespace dunax::executor {

// Exit code after the answer: the code of a run by hand with no request posted (the value of
// the screen library's last call, 0).
inline constexpr int kExitHelpOrVersion = 0;

// Returns true when the command line is exactly the one argument "--help" or "--version",
// after writing the usage paragraph or the version line on standard error; false otherwise,
// with nothing written (every other command line is ignored, as before).
bool answerHelpOrVersion(int argc, char** argv);

}  // namespace dunax::executor
