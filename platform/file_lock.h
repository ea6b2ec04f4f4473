// An exclusive lock on a name: one process at a time holds it, as a lock on an open descriptor
// (handle) of a small lock file beside the files it guards. The lock ends with the process,
// however it ends; the file a killed run leaves behind is readable by every user, so that any
// user's next run can lock it.
#pragma once

#include <string>

#include "platform/status.h"

namespace dunax::platform {

class ExclusiveFileLock {
 public:
  ExclusiveFileLock() = default;
  ~ExclusiveFileLock();  // lets go of the lock when it is held
  ExclusiveFileLock(const ExclusiveFileLock&) = delete;
  ExclusiveFileLock& operator=(const ExclusiveFileLock&) = delete;

  // Takes the lock whose lock file is path, without waiting. The file is opened for reading
  // only (any user who may read it may lock it) and made, readable by all, when missing; a
  // symbolic link or anything but a regular file is not used. On POSIX the lock is flock on
  // the descriptor, checked after locking to be on the file the name still holds; on Windows
  // the handle is opened with no sharing at all.
  // Returns success when this process holds the lock now; Busy when another process holds it
  // (nothing was changed); otherwise the failure to make, open or lock the lock file.
  Status acquire(const std::string& path);

  // Removes the lock file (where this user may: in a shared folder another user's file stays,
  // and stays lockable) and lets go. Nothing happens when the lock is not held.
  void release();

  bool held() const { return handle_ >= 0; }

 private:
  int handle_ = -1;  // a descriptor, or a Windows handle (HandleToLong)
  std::string path_;
};

}  // namespace dunax::platform
