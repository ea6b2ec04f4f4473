// Child processes on POSIX: posix_spawn (with a working directory and standard error in an
// unnamed temporary file when asked), waitpid, and a bounded wait that wakes the moment the
// child ends.
#include "platform/child_process.h"

#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
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

// Waits for the end of the child which (any child: -1), through interruptions.
Expected<ChildEnd> waitForEnd(pid_t which) {
  int status = 0;
  for (;;) {
    const pid_t id = waitpid(which, &status, 0);
    if (id > 0) return endFromStatus(id, status);
    if (errno != EINTR) return Status::fromNative(errno);
  }
}

// Opens a temporary file with no name in TMPDIR (or /tmp), for reading and writing, closed on
// exec. Returns its descriptor, or -1 when none can be made.
int openUnnamedTemporaryFile() {
  const char* variable = std::getenv("TMPDIR");
  std::string directory = variable != nullptr && variable[0] != '\0' ? variable : "/tmp";
#ifdef O_TMPFILE
  int fd = open(directory.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd >= 0) return fd;
#else
  int fd = -1;
#endif
  std::string pattern = directory + "/dunax-stderr-XXXXXX";
  fd = mkostemp(pattern.data(), O_CLOEXEC);
  if (fd >= 0) unlink(pattern.c_str());
  return fd;
}

// The path a child started in another directory is to run: relative paths made absolute.
std::string absoluteProgramPath(const std::string& path) {
  if (path.empty() || path[0] == '/') return path;
  char here[PATH_MAX];
  if (getcwd(here, sizeof here) == nullptr) return path;
  return std::string(here) + "/" + path;
}

}  // namespace

Status checkWorkingDirectory(const std::string& directory) {
  struct stat status{};
  if (stat(directory.c_str(), &status) != 0) return Status::fromNative(errno);
  if (!S_ISDIR(status.st_mode)) return Status::fromNative(ENOTDIR);
  if (access(directory.c_str(), X_OK) != 0) return Status::fromNative(errno);
  return Status();
}

Expected<ChildProcess> startChildProcess(const std::string& path,
                                         const std::vector<std::string>& arguments,
                                         const ChildSettings& settings) {
  const std::string program =
      settings.workingDirectory.empty() ? path : absoluteProgramPath(path);
  if (access(program.c_str(), X_OK) != 0) {
    const int error = errno;
    return Status(statusCodeOfNative(error), error, path + ": " + std::strerror(error));
  }
  std::vector<char*> argv;
  argv.reserve(arguments.size() + 1);
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  ChildProcess child;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (settings.captureStandardError) {
    child.errorCapture = openUnnamedTemporaryFile();
    if (child.errorCapture >= 0) {
      posix_spawn_file_actions_adddup2(&actions, static_cast<int>(child.errorCapture),
                                        STDERR_FILENO);
    }
  }
  if (!settings.workingDirectory.empty()) {
    posix_spawn_file_actions_addchdir_np(&actions, settings.workingDirectory.c_str());
  }
  pid_t id = -1;
  int result = posix_spawn(&id, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (result != 0) {
    std::string words = path + ": " + std::strerror(result);
    if (!settings.workingDirectory.empty()) words += " (in " + settings.workingDirectory + ")";
    if (child.errorCapture >= 0) close(static_cast<int>(child.errorCapture));
    return Status(statusCodeOfNative(result), result, words);
  }
  child.id = static_cast<int>(id);
  return child;
}

std::string takeCapturedError(ChildProcess& child, std::size_t maxBytes) {
  std::string text;
  if (child.errorCapture < 0) return text;
  const int capture = static_cast<int>(child.errorCapture);
  struct stat status{};
  if (fstat(capture, &status) == 0 && status.st_size > 0) {
    const auto size = static_cast<std::size_t>(status.st_size);
    const std::size_t start = size > maxBytes ? size - maxBytes : 0;
    text.resize(size - start);
    std::size_t done = 0;
    while (done < text.size()) {
      ssize_t got = pread(capture, text.data() + done, text.size() - done,
                          static_cast<off_t>(start + done));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      done += static_cast<std::size_t>(got);
    }
    text.resize(done);
  }
  close(capture);
  child.errorCapture = -1;
  return text;
}

Expected<ChildEnd> waitForChild(const ChildProcess& child) {
  if (!child.started()) return Status::fromNative(ECHILD);
  return waitForEnd(child.id);
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

Expected<ChildEnd> waitForAnyChild() { return waitForEnd(-1); }

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
