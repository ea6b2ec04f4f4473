// Child processes: a program started with its own argument list (no shell), and waiting for it.
#pragma once

#include <string>
#include <vector>

namespace dunax::platform {

struct ChildProcess {
  int id = -1;  // the process id; -1 when the start failed
  bool started() const { return id > 0; }
};

// Starts the program at path with the given arguments (arguments[0] is the program's own name
// as it sees it). Standard input, output and error are inherited.
// Returns a ChildProcess whose started() is false when the program could not be started
// (missing file, not executable); error then says why.
ChildProcess startChildProcess(const std::string& path, const std::vector<std::string>& arguments,
                               std::string* error = nullptr);

// The way a child ended.
struct ChildEnd {
  int id = -1;            // which child; -1 when there was none to wait for
  bool exited = false;    // ended with an exit code
  int exitCode = 0;       // the exit code when exited
  int signal = 0;         // the signal that ended it otherwise
};

// Waits until the given child ends. Returns its end; id -1 when it is not a child of ours.
ChildEnd waitForChild(const ChildProcess& child);

// Waits until the child ends or timeoutMilliseconds pass. Returns its end, or an end with
// id -1 when the time ran out first (the child keeps running).
ChildEnd waitForChildFor(const ChildProcess& child, int timeoutMilliseconds);

// Waits until any child of this process ends. Returns its end; id -1 when there is none.
ChildEnd waitForAnyChild();

// Asks a child to end (SIGTERM), then ends it for good (SIGKILL) after graceMilliseconds.
void stopChild(const ChildProcess& child, int graceMilliseconds);

}  // namespace dunax::platform
