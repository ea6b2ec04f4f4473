// The private directory on POSIX: lstat checks of owner, mode and kind, mkstemp and a file
// replaced whole.
#include "platform/private_directory.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/durable_files.h"
#include "platform/process.h"

namespace dunax::platform {

unsigned long currentUserId() { return static_cast<unsigned long>(geteuid()); }

std::string defaultPrivateDirectory(const std::string& purpose) {
  const char* runtime = environmentValue("XDG_RUNTIME_DIR");
  const std::string base = runtime != nullptr && runtime[0] != '\0' ? runtime : "/tmp";
  return base + "/dunax-" + purpose + "-" + std::to_string(currentUserId());
}

Status preparePrivateDirectory(const std::string& path) {
  if (path.empty()) return Status::fromNative(ENOENT);
  struct stat info;
  if (lstat(path.c_str(), &info) != 0) {
    if (errno != ENOENT) return Status::fromNative(errno);
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return Status::fromNative(errno);
    // The umask may have taken bits away; set the mode exactly when the directory is ours.
    if (lstat(path.c_str(), &info) != 0) return Status::fromNative(errno);
    if (S_ISDIR(info.st_mode) && info.st_uid == geteuid() && (info.st_mode & 07777) != 0700) {
      if (chmod(path.c_str(), 0700) != 0) return Status::fromNative(errno);
      if (lstat(path.c_str(), &info) != 0) return Status::fromNative(errno);
    }
  }
  if (S_ISLNK(info.st_mode) || !S_ISDIR(info.st_mode)) return Status::fromNative(ENOTDIR);
  if (info.st_uid != geteuid()) return Status::fromNative(EPERM);
  if ((info.st_mode & 07777) != 0700) return Status::fromNative(EACCES);
  return Status();
}

Status replaceFileAtomically(const std::string& directory, const std::string& name,
                             const void* data, std::size_t length) {
  std::string pattern = directory + "/." + name + ".XXXXXX";
  std::vector<char> temporary(pattern.begin(), pattern.end());
  temporary.push_back('\0');
  int fd = mkstemp(temporary.data());
  if (fd < 0) return Status::fromNative(errno);
  const char* bytes = static_cast<const char*>(data);
  std::size_t left = length;
  int error = 0;
  while (left > 0) {
    ssize_t written = write(fd, bytes, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      error = errno;
      break;
    }
    bytes += written;
    left -= static_cast<std::size_t>(written);
  }
  if (error == 0 && fsync(fd) != 0) error = errno;
  if (close(fd) != 0 && error == 0) error = errno;
  if (error != 0) {
    unlink(temporary.data());
    return Status::fromNative(error);
  }
  Status placed = replaceFileWhole(temporary.data(), (directory + "/" + name).c_str());
  if (!placed.ok()) (void)removeFileIfPresent(temporary.data());  // best effort: placed counts
  return placed;
}

Status readFileExactly(const std::string& path, void* data, std::size_t length) {
  int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return Status::fromNative(errno == ELOOP ? EINVAL : errno);
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid()) {
    close(fd);
    return Status::fromNative(EINVAL);
  }
  char* bytes = static_cast<char*>(data);
  std::size_t got = 0;
  int error = 0;
  while (got < length) {
    ssize_t count = read(fd, bytes + got, length - got);
    if (count < 0) {
      if (errno == EINTR) continue;
      error = errno;
      break;
    }
    if (count == 0) {
      error = EINVAL;
      break;
    }
    got += static_cast<std::size_t>(count);
  }
  close(fd);
  return Status::fromNative(error);
}

}  // namespace dunax::platform
