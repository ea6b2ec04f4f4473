// An exclusive lock on a name: one process at a time holds it, through a small lock file that
// lies beside the files it guards and is removed when the lock is let go.
#pragma once

#include <string>

namespace dunax::platform {

class ExclusiveFileLock {
 public:
  enum class Outcome {
    Acquired,      // this process holds the lock now
    HeldElsewhere, // another process holds it; nothing was changed
    Failed,        // the lock file cannot be made or locked (see error())
  };

  ExclusiveFileLock() = default;
  ~ExclusiveFileLock();  // lets go of the lock when it is held
  ExclusiveFileLock(const ExclusiveFileLock&) = delete;
  ExclusiveFileLock& operator=(const ExclusiveFileLock&) = delete;

  // Takes the lock whose lock file is path (created when missing), without waiting.
  // Returns Acquired, HeldElsewhere, or Failed with the error's words in error().
  Outcome acquire(const std::string& path);

  // Removes the lock file and lets go. Nothing happens when the lock is not held.
  void release();

  bool held() const { return handle_ >= 0; }
  const std::string& error() const { return error_; }

 private:
  int handle_ = -1;
  std::string path_;
  std::string error_;
};

}  // namespace dunax::platform
