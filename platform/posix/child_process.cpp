// Child processes on POSIX: posix_spawn, waitpid, and a bounded wait that wakes the moment the
// child ends.
#include "platform/child_process.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/clock.h"

// POSIX leaves the declaration of environ to the program; glibc declares it only with
// _GNU_SOURCE, which g++ happens to set.
extern char** environ;  // NOLINT(readability-redundant-declaration)

namespace dunax::platform {
namespace {

ChildEnd endFromStatus(int id, int status) {
  ChildEnd end;
  end.id = id;
  if (WIFEXITED(status)) {
    end.exited = true;
    end.exitCode = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    end.signal = WTERMSIG(status);
  }
  return end;
}

}  // namespace

Expected<ChildProcess> startChildProcess(const std::string& path,
                                         const std::vector<std::string>& arguments) {
  if (access(path.c_str(), X_OK) != 0) {
    const int error = errno;
    return Status(statusCodeOfNative(error), error, path + ": " + std::strerror(error));
  }
  std::vector<char*> argv;
  argv.reserve(arguments.size() + 1);
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t id = -1;
  int result = posix_spawn(&id, path.c_str(), nullptr, nullptr, argv.data(), environ);
  if (result != 0) {
    return Status(statusCodeOfNative(result), result, path + ": " + std::strerror(result));
  }
  return ChildProcess{static_cast<int>(id)};
}

Expected<ChildEnd> waitForChild(const ChildProcess& child) {
  if (!child.started()) return Status::fromNative(ECHILD);
  int status = 0;
  for (;;) {
    pid_t id = waitpid(child.id, &status, 0);
    if (id == child.id) return endFromStatus(id, status);
    if (id < 0 && errno != EINTR) return Status::fromNative(errno);
  }
}

Expected<ChildEnd> waitForChildFor(const ChildProcess& child, int timeoutMilliseconds) {
  if (!child.started()) return Status::fromNative(ECHILD);
  const std::int64_t deadline =
      monotonicNanoseconds() + static_cast<std::int64_t>(timeoutMilliseconds) * 1000000;
  // A process descriptor becomes readable when the child ends, so the wait sleeps no longer
  // than needed; where there is none, the child is looked at after growing pauses.
  int processDescriptor = -1;
#ifdef SYS_pidfd_open
  processDescriptor = static_cast<int>(syscall(SYS_pidfd_open, child.id, 0));
#endif
  int pauseMilliseconds = 1;
  Expected<ChildEnd> end = Status::fromNative(ETIMEDOUT);
  for (;;) {
    int status = 0;
    pid_t id = waitpid(child.id, &status, WNOHANG);
    if (id == child.id) {
      end = endFromStatus(id, status);
      break;
    }
    if (id < 0 && errno != EINTR) {
      end = Status::fromNative(errno);
      break;
    }
    const std::int64_t now = monotonicNanoseconds();
    if (now >= deadline) break;
    if (processDescriptor >= 0) {
      struct pollfd ended = {processDescriptor, POLLIN, 0};
      poll(&ended, 1, static_cast<int>((deadline - now + 999999) / 1000000));
    } else {
      sleepMilliseconds(pauseMilliseconds);
      if (pauseMilliseconds < 20) pauseMilliseconds *= 2;
    }
  }
  if (processDescriptor >= 0) close(processDescriptor);
  return end;
}

Expected<ChildEnd> waitForAnyChild() {
  int status = 0;
  for (;;) {
    pid_t id = waitpid(-1, &status, 0);
    if (id > 0) return endFromStatus(id, status);
    if (errno != EINTR) return Status::fromNative(errno);
  }
}

Status stopChild(const ChildProcess& child, int graceMilliseconds) {
  if (!child.started()) return Status::fromNative(ECHILD);
  kill(child.id, SIGTERM);
  Expected<ChildEnd> end = waitForChildFor(child, graceMilliseconds);
  if (end.ok()) return Status();
  if (!end.status().is(StatusCode::TimedOut)) return end.status();
  kill(child.id, SIGKILL);
  return waitForChild(child).status();
}

}  // namespace dunax::platform
