// Child processes: a program started with its own argument list (no shell), in a working
// directory of its own when asked, its standard error kept for the caller when asked, and
// waiting for it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/status.h"

namespace dunax::platform {

struct ChildProcess {
  int id = -1;  // the host's number for the process; -1 for none
  // Where its standard error is kept (a file descriptor, or a handle where the host hands out
  // handles); -1 when it is inherited.
  std::intptr_t errorCapture = -1;
  bool started() const { return id > 0; }
};

// How a child is started.
struct ChildSettings {
  std::string workingDirectory;       // where it runs; empty for this process's own
  bool captureStandardError = false;  // keep what it writes on standard error (see below)
};

// Returns success when a child can be started in directory (it exists and can be entered),
// else why not.
Status checkWorkingDirectory(const std::string& directory);

// Starts the program at path with the given arguments (arguments[0] is the program's own name
// as it sees it). Standard input and output are inherited; so is standard error unless
// settings.captureStandardError: then it goes to a temporary file that has no name (only this
// process and the child hold it, and it is gone when both let it go), so the child never waits
// on a reader however much it writes; where no such file can be made, it is inherited. A
// relative path is taken from this process's current directory.
// Where programs carry a text command line (Windows), each argument is the host's text (UTF-8);
// one that is not valid UTF-8 is taken as Windows-1252, the records' code page, so that a run
// parameter reaches the child as the bytes given; a path that names no file and has no
// extension is tried with ".exe". Every child ends with this process at the latest there.
// Returns the child, or the failure when the program could not be started (missing file, not
// executable, a working directory that cannot be entered), its words beginning with the path.
Expected<ChildProcess> startChildProcess(const std::string& path,
                                         const std::vector<std::string>& arguments,
                                         const ChildSettings& settings = {});

// Returns the last (at most maxBytes) bytes that a child started with captureStandardError
// wrote on its standard error, and lets the capture go (child.errorCapture becomes -1). Call it
// once the child has ended. Empty when nothing was written or nothing was captured.
std::string takeCapturedError(ChildProcess& child, std::size_t maxBytes);

// The way a child ended.
struct ChildEnd {
  int id = -1;            // which child
  bool exited = false;    // ended with an exit code
  int exitCode = 0;       // the exit code when exited
  int signal = 0;         // the signal that ended it otherwise (hosts without signals: never)
};

// Waits until the given child ends. Returns its end; NotFound when it is not a child of ours
// (or was waited for already).
Expected<ChildEnd> waitForChild(const ChildProcess& child);

// Waits until the child ends or timeoutMilliseconds pass. Returns its end; TimedOut when the
// time ran out first (the child keeps running); NotFound when it is not a child of ours.
Expected<ChildEnd> waitForChildFor(const ChildProcess& child, int timeoutMilliseconds);

// Waits until any child of this process ends. Returns its end; NotFound when there is none.
Expected<ChildEnd> waitForAnyChild();

// Asks a child politely to end (the host's termination request), then ends it for good after
// graceMilliseconds. Returns success once it has ended; NotFound when it is not a child of ours.
Status stopChild(const ChildProcess& child, int graceMilliseconds);

}  // namespace dunax::platform
