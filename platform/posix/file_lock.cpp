// The exclusive file lock on POSIX: flock on a descriptor opened for reading only, so that a
// lock file that any earlier run (of any user) left behind can be locked by every user who may
// read it, and one made here is readable by all. A holder removes the file before it lets go;
// whoever locked the file in the meantime sees that the name no longer holds it and tries again
// with the name's new file, so two runs never hold locks on two different files of one name.
#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace dunax::platform {
namespace {

constexpr mode_t kLockFileMode = 0444;

// Opens the lock file at path for reading, making it when missing; -1 with errno set when it
// cannot. A FIFO is not waited on (O_NONBLOCK) and a symbolic link not followed.
int openLockFile(const char* path) {
  const int flags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
  for (;;) {
    int fd = ::open(path, flags);
    if (fd >= 0 || errno != ENOENT) return fd;
    fd = ::open(path, flags | O_CREAT | O_EXCL, kLockFileMode);
    if (fd >= 0) {
      // The umask may have taken read bits away: the file is readable by all whoever made it.
      ::fchmod(fd, kLockFileMode);
      return fd;
    }
    if (errno != EEXIST) return -1;  // else made by another run just now: open that one
  }
}

}  // namespace

ExclusiveFileLock::~ExclusiveFileLock() { release(); }

Status ExclusiveFileLock::acquire(const std::string& path) {
  release();
  for (int tries = 0; tries < 100; ++tries) {
    int fd = openLockFile(path.c_str());
    if (fd < 0) {
      if (errno == ELOOP) {
        return Status(StatusCode::PermissionDenied, ELOOP,
                      "the lock file is a symbolic link, which is not followed");
      }
      return Status::fromNative(errno);
    }
    struct stat opened;
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
      ::close(fd);
      return Status(StatusCode::PermissionDenied, EPERM, "the lock file is not a regular file");
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      int lockError = errno;
      ::close(fd);
      return Status::fromNative(lockError);
    }
    struct stat named;
    if (::lstat(path.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
        opened.st_ino == named.st_ino) {
      handle_ = fd;
      path_ = path;
      return Status();
    }
    ::close(fd);
  }
  return Status::failure(StatusCode::Other, "the lock file keeps being replaced");
}

void ExclusiveFileLock::release() {
  if (handle_ < 0) return;
  // Removed while still locked, so that nobody locks the file after it lost its name.
  ::unlink(path_.c_str());
  ::close(handle_);
  handle_ = -1;
  path_.clear();
}

}  // namespace dunax::platform
