// The running process on POSIX: the program's own directory and the end of a run.
#include "platform/process.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "platform/program_call.h"

namespace dunax::platform {

std::string programDirectory() {
  char path[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return {};
  std::string full(path, static_cast<std::size_t>(length));
  std::size_t slash = full.rfind('/');
  if (slash == std::string::npos) return {};
  return slash == 0 ? std::string("/") : full.substr(0, slash);
}

void endProcess(int exitCode) {
  shutDownCobolRuntime();
  std::fflush(nullptr);
  std::exit(exitCode);
}

const char* environmentValue(const char* name) { return std::getenv(name); }

Status setEnvironmentValue(const char* name, const char* value) {
  return Status::fromNative(::setenv(name, value, 1) == 0 ? 0 : errno);
}

unsigned long currentProcessId() { return static_cast<unsigned long>(getpid()); }

}  // namespace dunax::platform
