// The room left on a file system on POSIX: the blocks statvfs(3) gives unprivileged users.
#include "platform/free_space.h"

#include <sys/statvfs.h>

#include <cerrno>
#include <string>

#include "platform/file_routines.h"

namespace dunax::platform {

Expected<std::uint64_t> freeSpaceOf(std::string_view folder) {
  Expected<std::string> path = hostPathFrom(folder);
  if (!path) return path.status();
  struct statvfs info {};
  if (::statvfs(path->c_str(), &info) != 0) return Status::fromNative(errno);
  return static_cast<std::uint64_t>(info.f_bavail) * static_cast<std::uint64_t>(info.f_frsize);
}

}  // namespace dunax::platform
