// Durable renames, removals and directory flushes on POSIX.
#include "platform/durable_files.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace dunax::platform {

int replaceFile(const char* source, const char* target) {
  return ::rename(source, target) == 0 ? 0 : errno;
}

int removeFileIfPresent(const char* path) {
  if (::unlink(path) == 0 || errno == ENOENT) return 0;
  return errno;
}

bool fileExists(const char* path) {
  struct stat info;
  return ::lstat(path, &info) == 0;
}

int flushDirectoryOf(const char* path) {
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
  if (fd < 0) return errno;
  int result = ::fsync(fd) == 0 ? 0 : errno;
  ::close(fd);
  // A file system that cannot flush a directory keeps the renames all the same.
  return result == EINVAL ? 0 : result;
}

std::string errorWords(int error) { return std::strerror(error); }

}  // namespace dunax::platform
