// Durable renames, removals and directory flushes on POSIX.
#include "platform/durable_files.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace dunax::platform {

Status replaceFile(const char* source, const char* target) {
  return Status::fromNative(::rename(source, target) == 0 ? 0 : errno);
}

Status removeFileIfPresent(const char* path) {
  if (::unlink(path) == 0 || errno == ENOENT) return Status();
  return Status::fromNative(errno);
}

bool fileExists(const char* path) {
  struct stat info;
  return ::lstat(path, &info) == 0;
}

Status flushDirectoryOf(const char* path) {
  std::string directory = path;
  std::size_t slash = directory.find_last_of('/');
  if (slash == std::string::npos) {
    directory = ".";
  } else if (slash == 0) {
    directory = "/";
  } else {
    directory.resize(slash);
  }
  int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return Status::fromNative(errno);
  int result = ::fsync(fd) == 0 ? 0 : errno;
  ::close(fd);
  // A file system that cannot flush a directory keeps the renames all the same.
  return Status::fromNative(result == EINVAL ? 0 : result);
}

}  // namespace dunax::platform
