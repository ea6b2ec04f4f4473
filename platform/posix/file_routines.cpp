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

#include "platform/host_path.h"

namespace dunax::platform {
namespace {

int errorOr(int result) { return result == 0 ? 0 : (errno != 0 ? errno : EIO); }

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

int createDirectory(std::string_view name) {
  std::string host;
  if (!hostNameFromRecord(name, host)) return EINVAL;
  return errorOr(mkdir(host.c_str(), 0777));
}

int deleteDirectory(std::string_view name) {
  std::string host;
  if (!hostNameFromRecord(name, host)) return EINVAL;
  return errorOr(rmdir(host.c_str()));
}

int changeDirectory(std::string_view name) {
  std::string host;
  if (!hostNameFromRecord(name, host)) return EINVAL;
  return errorOr(chdir(host.c_str()));
}

int currentDirectory(std::string& directory) {
  char buffer[PATH_MAX];
  directory.clear();
  if (getcwd(buffer, sizeof buffer) == nullptr) return errno != 0 ? errno : ERANGE;
  directory = buffer;
  return 0;
}

int realPath(std::string_view name, std::string& real) {
  real.clear();
  std::string head;
  if (!hostPathFrom(name, head)) return EINVAL;
  if (head[0] != '/') {
    std::string directory;
    if (int error = currentDirectory(directory); error != 0) return error;
    head = directory + "/" + head;
  }
  // Resolve the longest leading part that exists ("/" always does); keep the rest as written.
  std::vector<std::string> rest;
  for (;;) {
    char* resolved = ::realpath(head.c_str(), nullptr);
    if (resolved != nullptr) {
      real = resolved;
      std::free(resolved);
      break;
    }
    if (errno != ENOENT && errno != ENOTDIR) return errorOr(-1);
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
  return 0;
}

int copyFile(std::string_view source, std::string_view target) {
  std::string from;
  std::string to;
  if (!hostNameFromRecord(source, from) || !hostNameFromRecord(target, to)) return EINVAL;
  int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return errno;
  struct stat sourceInfo;
  if (fstat(in, &sourceInfo) != 0 || !S_ISREG(sourceInfo.st_mode)) {
    close(in);
    return EINVAL;
  }
  struct stat targetInfo;
  if (stat(to.c_str(), &targetInfo) == 0 && targetInfo.st_dev == sourceInfo.st_dev &&
      targetInfo.st_ino == sourceInfo.st_ino) {
    close(in);
    return EINVAL;
  }
  int out = open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (out < 0) {
    int error = errno;
    close(in);
    return error;
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
  return error;
}

int deleteFile(std::string_view name) {
  std::string host;
  if (!hostNameFromRecord(name, host)) return EINVAL;
  struct stat info;
  if (lstat(host.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return EISDIR;
  return errorOr(unlink(host.c_str()));
}

int renameFile(std::string_view oldName, std::string_view newName) {
  std::string from;
  std::string to;
  if (!hostNameFromRecord(oldName, from) || !hostNameFromRecord(newName, to)) return EINVAL;
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  // A file system without the no-replace rename: look first, then rename.
  struct stat info;
  if (lstat(to.c_str(), &info) == 0) return EEXIST;
  return errorOr(rename(from.c_str(), to.c_str()));
}

int checkReplaceable(std::string_view name) {
  std::string host;
  if (!hostNameFromRecord(name, host)) return EINVAL;
  struct stat info;
  if (lstat(host.c_str(), &info) != 0) return errno == ENOENT ? 0 : errno;
  if (S_ISDIR(info.st_mode)) return EISDIR;
  if (!S_ISREG(info.st_mode)) return EPERM;
  return errorOr(access(host.c_str(), W_OK));
}

int publishFile(std::string_view temporaryName, std::string_view finalName) {
  std::string from;
  std::string to;
  if (!hostNameFromRecord(temporaryName, from) || !hostNameFromRecord(finalName, to)) {
    return EINVAL;
  }
  int fd = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno;
  struct stat replaced;
  if (lstat(to.c_str(), &replaced) == 0) {
    if (!S_ISREG(replaced.st_mode)) {
      close(fd);
      return EPERM;
    }
    // Not being the owner of the replaced file only costs its permission bits.
    fchmod(fd, replaced.st_mode & 07777);
  }
  if (fsync(fd) != 0) {
    int error = errno;
    close(fd);
    return error;
  }
  close(fd);
  if (rename(from.c_str(), to.c_str()) != 0) return errno;
  std::string::size_type slash = to.rfind('/');
  std::string directory = slash == std::string::npos ? std::string(".")
                                                     : to.substr(0, slash == 0 ? 1 : slash);
  int directoryFd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (directoryFd >= 0) {
    fsync(directoryFd);
    close(directoryFd);
  }
  return 0;
}

}  // namespace dunax::platform
