// The running process: where its program file lies, and how a run ends.
#pragma once

#include <string>

#include "platform/status.h"

namespace dunax::platform {

// The directory of the running program's file, without a trailing "/"; empty when unknown.
std::string programDirectory();

// Ends the process with exitCode after shutting down the COBOL run-time (when one was
// started) and flushing standard output. Never returns.
[[noreturn]] void endProcess(int exitCode);

// Reads an environment variable; nullptr when it is not set.
const char* environmentValue(const char* name);

// Sets an environment variable of this process (and of the programs it starts from now on).
// Returns success, or the failure when it cannot be set (an invalid name, no memory).
Status setEnvironmentValue(const char* name, const char* value);

// This process's id.
unsigned long currentProcessId();

}  // namespace dunax::platform
