// Command execution: an operating-system command line run through the host's shell
// (/bin/sh -c on POSIX, cmd.exe /c on Windows), the way the run-time runs the command line it
// was given.
#pragma once

#include <string_view>

#include "platform/status.h"

namespace dunax::platform {

// Runs commandLine (the host's text) through the host's shell with standard input, output and
// error inherited, and waits until the shell ends. A NUL ends the command line.
// Returns the shell's exit code; on a host with signals, 128 + the signal number when a signal
// ended it; the failure when the shell could not be started or waited for.
Expected<int> runCommandLine(std::string_view commandLine);

}  // namespace dunax::platform
