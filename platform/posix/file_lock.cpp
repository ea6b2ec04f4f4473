// The file lock on POSIX: flock on a descriptor opened for reading only, so that a lock file
// that any earlier run (of any user) left behind can be locked by every user who may read it,
// and one made here is readable by all. A holder that removes the file does so before it lets
// go; whoever locked the file in the meantime sees that the name no longer holds it and tries again
// with the name's new file, so two runs never hold locks on two different files of one name.
#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

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

// Takes the lock on fd, waiting at most waitMilliseconds. Returns 0, or the errno of the
// failure (EWOULDBLOCK when another holder kept it for the whole wait).
int lockWithin(int fd, int waitMilliseconds) {
  const struct timespec pause = {0, 10'000'000L};
  int waited = 0;
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return 0;
    const int error = errno;
    if (error == EINTR) continue;
    if (error != EWOULDBLOCK || waited >= waitMilliseconds) return error;
    nanosleep(&pause, nullptr);
    waited += 10;
  }
}

}  // namespace

FileLock::~FileLock() { release(); }

Status FileLock::acquire(const std::string& path, int waitMilliseconds, LockFileAfter after) {
  if (handle_ >= 0) return Status::fromNative(EALREADY);
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
    if (const int lockError = lockWithin(fd, waitMilliseconds); lockError != 0) {
      ::close(fd);
      return Status::fromNative(lockError);
    }
    struct stat named;
    if (::lstat(path.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
        opened.st_ino == named.st_ino) {
      handle_ = fd;
      path_ = path;
      after_ = after;
      return Status();
    }
    ::close(fd);
  }
  return Status::failure(StatusCode::Other, "the lock file keeps being replaced");
}

void FileLock::release() {
  if (handle_ < 0) return;
  // Removed while still locked, so that nobody locks the file after it lost its name.
  if (after_ == LockFileAfter::Removed) ::unlink(path_.c_str());
  ::close(handle_);
  handle_ = -1;
  path_.clear();
}

}  // namespace dunax::platform
