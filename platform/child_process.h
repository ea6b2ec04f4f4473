// Child processes: a program started with its own argument list (no shell), in a working
// directory of its own when asked, its standard error kept for the caller when asked, and
// waiting for it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace dunax::platform {

struct ChildProcess {
  int id = -1;            // the process id; -1 when the start failed
  int errorCapture = -1;  // where its standard error is kept; -1 when it is inherited
  bool started() const { return id > 0; }
};

// How a child is started.
struct ChildSettings {
  std::string workingDirectory;       // where it runs; empty for this process's own
  bool captureStandardError = false;  // keep what it writes on standard error (see below)
};

// Returns 0 when a child can be started in directory (it exists and can be entered), else the
// error number.
int checkWorkingDirectory(const std::string& directory);

// Starts the program at path as startChildProcess below does, with settings. With
// captureStandardError the child's standard error goes to a temporary file that has no name
// (only this process and the child hold it, and it is gone when both let it go), so the child
// never waits on a reader however much it writes; where no such file can be made, standard
// error is inherited. A relative path is taken from this process's current directory.
ChildProcess startChildProcess(const std::string& path, const std::vector<std::string>& arguments,
                               const ChildSettings& settings, std::string* error);

// Returns the last (at most maxBytes) bytes that a child started with captureStandardError
// wrote on its standard error, and lets the capture go (child.errorCapture becomes -1). Call it
// once the child has ended. Empty when nothing was written or nothing was captured.
std::string takeCapturedError(ChildProcess& child, std::size_t maxBytes);

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
