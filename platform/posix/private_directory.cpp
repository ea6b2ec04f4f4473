// The private directory on POSIX: lstat checks of owner, mode and kind.
#include "platform/private_directory.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/process.h"

namespace dunax::platform {

std::string defaultPrivateDirectory(const std::string& purpose) {
  const char* runtime = environmentValue("XDG_RUNTIME_DIR");
  const std::string base = runtime != nullptr && runtime[0] != '\0' ? runtime : "/tmp";
  return base + "/dunax-" + purpose + "-" + std::to_string(geteuid());
}

Status preparePrivateDirectory(const std::string& path) {
  if (path.empty()) return Status::fromNative(ENOENT);
  struct stat info;
  if (lstat(path.c_str(), &info) != 0) {
    if (errno != ENOENT) return Status::fromNative(errno);
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return Status::fromNative(errno);
    // The umask may have taken bits away; set the mode exactly when the directory is ours.
    if (lstat(path.c_str(), &info) != 0) return Status::fromNative(errno);
    if (S_ISDIR(info.st_mode) && info.st_uid == geteuid() && (info.st_mode & 07777) != 0700) {
      if (chmod(path.c_str(), 0700) != 0) return Status::fromNative(errno);
      if (lstat(path.c_str(), &info) != 0) return Status::fromNative(errno);
    }
  }
  if (S_ISLNK(info.st_mode) || !S_ISDIR(info.st_mode)) return Status::fromNative(ENOTDIR);
  if (info.st_uid != geteuid()) return Status::fromNative(EPERM);
  if ((info.st_mode & 07777) != 0700) return Status::fromNative(EACCES);
  return Status();
}

}  // namespace dunax::platform
