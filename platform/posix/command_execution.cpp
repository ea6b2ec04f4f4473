// Command execution on POSIX: /bin/sh -c started with posix_spawn and waited for.
#include "platform/command_execution.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <string>

// POSIX leaves the declaration of environ to the program; glibc declares it only with
// _GNU_SOURCE, which g++ happens to set.
extern char** environ;  // NOLINT(readability-redundant-declaration)

namespace dunax::platform {

Expected<int> runCommandLine(std::string_view commandLine) {
  std::string line(commandLine.substr(0, commandLine.find('\0')));
  char shell[] = "/bin/sh";
  char option[] = "-c";
  char* argv[] = {shell, option, line.data(), nullptr};
  pid_t id = -1;
  if (int error = posix_spawn(&id, shell, nullptr, nullptr, argv, environ); error != 0) {
    return Status::fromNative(error);
  }
  int status = 0;
  for (;;) {
    pid_t ended = waitpid(id, &status, 0);
    if (ended == id) break;
    if (ended < 0 && errno != EINTR) return Status::fromNative(errno);
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return Status::failure(StatusCode::Other, "the shell neither exited nor was ended by a signal");
}

}  // namespace dunax::platform
