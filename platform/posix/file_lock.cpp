// The exclusive file lock on POSIX: flock on a lock file, checked to be still the file that
// the name holds (a holder that lets go removes it), removed before it is let go.
#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace dunax::platform {

ExclusiveFileLock::~ExclusiveFileLock() { release(); }

Status ExclusiveFileLock::acquire(const std::string& path) {
  release();
  // A holder that lets go removes the file after we opened it: then the lock we got is on a
  // file nobody else will find, and we try again with the name's new file.
  for (int tries = 0; tries < 100; ++tries) {
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0) return Status::fromNative(errno);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      int lockError = errno;
      ::close(fd);
      return Status::fromNative(lockError);
    }
    struct stat opened;
    struct stat named;
    if (::fstat(fd, &opened) == 0 && ::stat(path.c_str(), &named) == 0 &&
        opened.st_dev == named.st_dev && opened.st_ino == named.st_ino) {
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
  ::unlink(path_.c_str());
  ::close(handle_);
  handle_ = -1;
  path_.clear();
}

}  // namespace dunax::platform
