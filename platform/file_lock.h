// An exclusive lock on a name: one process at a time holds it, as a lock on an open descriptor
// (handle) of a small lock file beside the files it guards, taken at once or within a wait. The
// lock ends with the process, however it ends; the file a killed run leaves behind is readable
// by every user, so that any user's next run can lock it.
#pragma once

#include <string>

#include "platform/status.h"

namespace dunax::platform {

// What becomes of the lock file when the lock is let go.
enum class LockFileAfter {
  Removed,  // the holder removes it (where this user may)
  Kept,     // it stays, to be locked again (a lock file in a private directory)
};

class FileLock {
 public:
  FileLock() = default;
  ~FileLock();  // lets go of the lock when it is held
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Takes the lock whose lock file is path, waiting at most waitMilliseconds while another
  // process holds it (polled, so that a holder that never lets go costs a bounded wait). The
  // file is opened for reading only (any user who may read it may lock it) and made, readable
  // by all, when missing; a symbolic link or anything but a regular file is not used. On POSIX
  // the lock is flock on the descriptor, checked after locking to be on the file the name
  // still holds; on Windows the handle is opened with no sharing at all.
  // Returns success when this process holds the lock now; Busy when another process held it
  // for the whole wait (nothing was changed), or when this object holds a lock already
  // (EALREADY on POSIX); otherwise the failure to make, open or lock the lock file.
  Status acquire(const std::string& path, int waitMilliseconds = 0,
                 LockFileAfter after = LockFileAfter::Removed);

  // Lets go, first removing the lock file when it was taken with LockFileAfter::Removed (where
  // this user may: in a shared folder another user's file stays, and stays lockable). Nothing
  // happens when the lock is not held.
  void release();

  bool held() const { return handle_ >= 0; }

 private:
  int handle_ = -1;  // a descriptor, or a Windows handle (HandleToLong)
  std::string path_;
  LockFileAfter after_ = LockFileAfter::Removed;
};

}  // namespace dunax::platform
