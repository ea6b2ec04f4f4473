// The identity of a file on POSIX: st_dev and st_ino of stat(2).
#include "platform/file_identity.h"

#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "platform/file_routines.h"

namespace dunax::platform {

Expected<FileIdentity> fileIdentity(std::string_view name) {
  Expected<std::string> path = hostPathFrom(name);
  if (!path) return path.status();
  struct stat info {};
  if (::stat(path->c_str(), &info) != 0) return Status::fromNative(errno);
  return FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                      static_cast<std::uint64_t>(info.st_ino)};
}

}  // namespace dunax::platform
