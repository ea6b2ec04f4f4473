// The file routines on POSIX: mkdir, rmdir, chdir, getcwd, realpath, a read/write copy, unlink,
// a rename that never replaces, and publishing a file (fsync, rename over, fsync the directory).
#include "platform/file_routines.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/durable_files.h"
#include "platform/host_path.h"

namespace dunax::platform {
namespace {

// The outcome of a call that answers 0 or -1 with errno.
Status statusOf(int result) {
  return Status::fromNative(result == 0 ? 0 : (errno != 0 ? errno : EIO));
}

// A name with no host form, or an argument the routine refuses.
Status invalid() { return Status::fromNative(EINVAL); }

// Writes all of length bytes. Returns 0 or the error number.
int writeAll(int fd, const char* data, std::size_t length) {
  while (length > 0) {
    ssize_t written = ::write(fd, data, length);
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    data += written;
    length -= static_cast<std::size_t>(written);
  }
  return 0;
}

}  // namespace

Status createDirectory(std::string_view name) {
  const Expected<std::string> host = hostNameFromRecord(name);
  if (!host) return invalid();
  return statusOf(mkdir(host->c_str(), 0777));
}

Status deleteDirectory(std::string_view name) {
  const Expected<std::string> host = hostNameFromRecord(name);
  if (!host) return invalid();
  return statusOf(rmdir(host->c_str()));
}

Status changeDirectory(std::string_view name) {
  const Expected<std::string> host = hostNameFromRecord(name);
  if (!host) return invalid();
  return statusOf(chdir(host->c_str()));
}

Expected<std::string> currentDirectory() {
  char buffer[PATH_MAX];
  if (getcwd(buffer, sizeof buffer) == nullptr) {
    return Status::fromNative(errno != 0 ? errno : ERANGE);
  }
  return std::string(buffer);
}

Expected<std::string> realPath(std::string_view name) {
  Expected<std::string> named = hostPathFrom(name);
  if (!named) return invalid();
  std::string head = std::move(*named);
  if (head[0] != '/') {
    Expected<std::string> directory = currentDirectory();
    if (!directory) return directory.status();
    head = *directory + "/" + head;
  }
  std::string real;
  // Resolve the longest leading part that exists ("/" always does); keep the rest as written.
  std::vector<std::string> rest;
  for (;;) {
    char* resolved = ::realpath(head.c_str(), nullptr);
    if (resolved != nullptr) {
      real = resolved;
      std::free(resolved);
      break;
    }
    if (errno != ENOENT && errno != ENOTDIR) return statusOf(-1);
    std::size_t slash = head.find_last_of('/');
    rest.push_back(head.substr(slash + 1));
    head = slash == 0 ? "/" : head.substr(0, slash);
  }
  for (auto part = rest.rbegin(); part != rest.rend(); ++part) {
    if (part->empty() || *part == ".") continue;
    if (*part == "..") {
      std::size_t slash = real.find_last_of('/');
      real.resize(slash == 0 ? 1 : slash);
      continue;
    }
    if (real.back() != '/') real += '/';
    real += *part;
  }
  return real;
}

Status copyFile(std::string_view source, std::string_view target) {
  const Expected<std::string> from = hostNameFromRecord(source);
  const Expected<std::string> to = hostNameFromRecord(target);
  if (!from || !to) return invalid();
  int in = open(from->c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return Status::fromNative(errno);
  struct stat sourceInfo;
  if (fstat(in, &sourceInfo) != 0 || !S_ISREG(sourceInfo.st_mode)) {
    close(in);
    return invalid();
  }
  struct stat targetInfo;
  if (stat(to->c_str(), &targetInfo) == 0 && targetInfo.st_dev == sourceInfo.st_dev &&
      targetInfo.st_ino == sourceInfo.st_ino) {
    close(in);
    return invalid();
  }
  int out = open(to->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (out < 0) {
    int error = errno;
    close(in);
    return Status::fromNative(error);
  }
  int error = 0;
  char buffer[65536];
  for (;;) {
    ssize_t got = read(in, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      error = errno;
      break;
    }
    if (got == 0) break;
    error = writeAll(out, buffer, static_cast<std::size_t>(got));
    if (error != 0) break;
  }
  close(in);
  if (close(out) != 0 && error == 0) error = errno;
  return Status::fromNative(error);
}

Status deleteFile(std::string_view name) {
  const Expected<std::string> host = hostNameFromRecord(name);
  if (!host) return invalid();
  struct stat info;
  if (lstat(host->c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return Status::fromNative(EISDIR);
  return statusOf(unlink(host->c_str()));
}

Status renameFile(std::string_view oldName, std::string_view newName) {
  const Expected<std::string> from = hostNameFromRecord(oldName);
  const Expected<std::string> to = hostNameFromRecord(newName);
  if (!from || !to) return invalid();
  if (renameat2(AT_FDCWD, from->c_str(), AT_FDCWD, to->c_str(), RENAME_NOREPLACE) == 0) {
    return Status();
  }
  if (errno != EINVAL && errno != ENOSYS) return Status::fromNative(errno);
  // A file system without the no-replace rename: look first, then rename.
  struct stat info;
  if (lstat(to->c_str(), &info) == 0) return Status::fromNative(EEXIST);
  return statusOf(rename(from->c_str(), to->c_str()));
}

Status publishFile(std::string_view temporaryName, std::string_view finalName) {
  const Expected<std::string> from = hostNameFromRecord(temporaryName);
  const Expected<std::string> to = hostNameFromRecord(finalName);
  if (!from || !to) return invalid();
  int fd = open(from->c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Status::fromNative(errno);
  struct stat replaced;
  if (lstat(to->c_str(), &replaced) == 0) {
    if (!S_ISREG(replaced.st_mode)) {
      close(fd);
      return Status::fromNative(EPERM);
    }
    // Not being the owner of the replaced file only costs its permission bits.
    fchmod(fd, replaced.st_mode & 07777);
  }
  if (fsync(fd) != 0) {
    int error = errno;
    close(fd);
    return Status::fromNative(error);
  }
  close(fd);
  const Status placed = replaceFileWhole(from->c_str(), to->c_str());
  // A directory that refuses the flush leaves the published file standing.
  return placed.ok() || fileExists(from->c_str()) ? placed : Status();
}

}  // namespace dunax::platform
