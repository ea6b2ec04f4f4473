// Durable renames, removals, directory flushes, replaceability checks and small whole files on
// POSIX.
#include "platform/durable_files.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace dunax::platform {
namespace {

std::string directoryOf(const char* path) {
  std::string directory = path;
  std::size_t slash = directory.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  directory.resize(slash);
  return directory;
}

// Writes all of content to fd; 0 or the error number.
int writeAll(int fd, std::string_view content) {
  while (!content.empty()) {
    ssize_t written = ::write(fd, content.data(), content.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    content.remove_prefix(static_cast<std::size_t>(written));
  }
  return 0;
}

}  // namespace

Status replaceFile(const char* source, const char* target) {
  detail::beforeDurableStep("rename", target);
  return Status::fromNative(::rename(source, target) == 0 ? 0 : errno);
}

Status removeFileIfPresent(const char* path) {
  detail::beforeDurableStep("remove", path);
  if (::unlink(path) == 0 || errno == ENOENT) return Status();
  return Status::fromNative(errno);
}

bool fileExists(const char* path) {
  struct stat info;
  return ::lstat(path, &info) == 0;
}

Status flushDirectoryOf(const char* path) {
  detail::beforeDurableStep("flush", path);
  int fd = ::open(directoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return Status::fromNative(errno);
  int result = ::fsync(fd) == 0 ? 0 : errno;
  ::close(fd);
  // A file system that cannot flush a directory keeps the renames all the same.
  return Status::fromNative(result == EINVAL ? 0 : result);
}

Status checkReplaceablePath(const char* path) {
  struct stat info;
  if (::lstat(path, &info) != 0) return errno == ENOENT ? Status() : Status::fromNative(errno);
  if (S_ISDIR(info.st_mode)) return Status::fromNative(EISDIR);
  if (S_ISLNK(info.st_mode)) {
    return Status(StatusCode::PermissionDenied, EPERM, "a symbolic link is not replaced");
  }
  if (!S_ISREG(info.st_mode)) {
    return Status(StatusCode::PermissionDenied, EPERM,
                  "a FIFO, a device or a socket is not replaced");
  }
  if (::access(path, W_OK) != 0) {
    if (errno != EACCES) return Status::fromNative(errno);
    return Status(StatusCode::PermissionDenied, EACCES, "a read-only file is not replaced");
  }
  // In a sticky folder (a shared one such as /tmp) only the file's owner, the folder's owner
  // and root may rename over a file or remove it.
  struct stat folder;
  const uid_t me = ::geteuid();
  if (::stat(directoryOf(path).c_str(), &folder) == 0 && (folder.st_mode & S_ISVTX) != 0 &&
      me != 0 && info.st_uid != me && folder.st_uid != me) {
    return Status(StatusCode::PermissionDenied, EPERM,
                  "it belongs to another user in a folder where only owners may rename");
  }
  return Status();
}

void releaseCachedPages(const char* path) {
  int fd = ::open(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return;
  struct stat info;
  // Only clean pages go: those of a file not yet written out stay where they are.
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    (void)posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
  }
  ::close(fd);
}

int permissionsFollowing(const char* path) {
  struct stat info;
  if (::stat(path, &info) != 0) return kDefaultNewFileMode;
  return static_cast<int>((info.st_mode & 0666) | S_IWUSR);
}

Status createNewFile(const char* path, int mode) {
  detail::beforeDurableStep("create", path);
  int fd = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                  static_cast<mode_t>(mode));
  if (fd < 0) return Status::fromNative(errno);
  return Status::fromNative(::close(fd) == 0 ? 0 : errno);
}

Status writeNewFileDurably(const char* path, std::string_view content, int mode) {
  detail::beforeDurableStep("create", path);
  int fd = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                  static_cast<mode_t>(mode));
  if (fd < 0) return Status::fromNative(errno);
  int error = writeAll(fd, content);
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error != 0) ::unlink(path);
  return Status::fromNative(error);
}

Status readSmallFile(const char* path, std::size_t maxBytes, std::string& content) {
  content.clear();
  int fd = ::open(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ELOOP) return Status::failure(StatusCode::InvalidName, "a symbolic link");
    return Status::fromNative(errno);
  }
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return Status::failure(StatusCode::InvalidName, "not a regular file");
  }
  char buffer[512];
  for (;;) {
    ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      int error = errno;
      ::close(fd);
      return Status::fromNative(error);
    }
    if (got == 0) break;
    content.append(buffer, static_cast<std::size_t>(got));
    if (content.size() > maxBytes) {
      ::close(fd);
      return Status::failure(StatusCode::InvalidName,
                             "longer than " + std::to_string(maxBytes) + " bytes");
    }
  }
  ::close(fd);
  return Status();
}

}  // namespace dunax::platform
