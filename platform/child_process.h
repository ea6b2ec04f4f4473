// Child processes: a program started with its own argument list (no shell), and waiting for it.
#pragma once

#include <string>
#include <vector>

#include "platform/status.h"

namespace dunax::platform {

struct ChildProcess {
  int id = -1;  // the process id; -1 for none
  bool started() const { return id > 0; }
};

// Starts the program at path with the given arguments (arguments[0] is the program's own name
// as it sees it). Standard input, output and error are inherited.
// Returns the child, or the failure when the program could not be started (missing file, not
// executable), its words beginning with the path.
Expected<ChildProcess> startChildProcess(const std::string& path,
                                         const std::vector<std::string>& arguments);

// The way a child ended.
struct ChildEnd {
  int id = -1;            // which child
  bool exited = false;    // ended with an exit code
  int exitCode = 0;       // the exit code when exited
  int signal = 0;         // the signal that ended it otherwise
};

// Waits until the given child ends. Returns its end; NotFound when it is not a child of ours
// (or was waited for already).
Expected<ChildEnd> waitForChild(const ChildProcess& child);

// Waits until the child ends or timeoutMilliseconds pass. Returns its end; TimedOut when the
// time ran out first (the child keeps running); NotFound when it is not a child of ours.
Expected<ChildEnd> waitForChildFor(const ChildProcess& child, int timeoutMilliseconds);

// Waits until any child of this process ends. Returns its end; NotFound when there is none.
Expected<ChildEnd> waitForAnyChild();

// Asks a child to end (SIGTERM), then ends it for good (SIGKILL) after graceMilliseconds.
// Returns success once it has ended; NotFound when it is not a child of ours.
Status stopChild(const ChildProcess& child, int graceMilliseconds);

}  // namespace dunax::platform
