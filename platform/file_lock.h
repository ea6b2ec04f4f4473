// An exclusive lock on a name: one process at a time holds it, through a small lock file that
// lies beside the files it guards and is removed when the lock is let go.
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

  // Takes the lock whose lock file is path (created when missing), without waiting.
  // Returns success when this process holds the lock now; Busy when another process holds it
  // (nothing was changed); otherwise the failure to make or lock the lock file.
  Status acquire(const std::string& path);

  // Removes the lock file and lets go. Nothing happens when the lock is not held.
  void release();

  bool held() const { return handle_ >= 0; }

 private:
  int handle_ = -1;  // a descriptor, or a Windows handle (HandleToLong)
  std::string path_;
};

}  // namespace dunax::platform
