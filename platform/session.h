// The operator's session: whether someone is at the keyboard of standard input, and stop
// requests (Ctrl+C, a closed terminal, a termination request) noted instead of obeyed, so that
// a program that runs others can let them finish and still report what happened.
#pragma once

namespace dunax::platform {

// Returns true when standard input is a terminal (an operator may be watching); false when it
// is a file, a pipe, /dev/null or closed.
bool standardInputIsTerminal();

// From now on SIGHUP and SIGTERM only note a stop request instead of ending the process; so does
// SIGINT (Ctrl+C) when interruptKeyToo, otherwise SIGINT is let pass without effect here (it is
// left to a program on the terminal that handles it itself). Programs started afterwards get the
// default handling back (handlers do not survive exec; nothing is left ignored).
void noteStopRequests(bool interruptKeyToo);

// Returns true once a stop request has been noted since noteStopRequests().
bool stopRequested();

}  // namespace dunax::platform
