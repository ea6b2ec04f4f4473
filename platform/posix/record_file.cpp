// The record-file handler's POSIX part: the real file-system calls, opening a record file
// (only a regular file is taken: a FIFO or a device is refused without waiting for its other
// end), flushing a written file's directory entry, and the host's answers to the portable part (errno, EINTR, ENOSPC, posix_fadvise).
#include "platform/record_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/record_file_host.h"

namespace dunax::platform {
namespace {

int realOpen(const char* path, int flags, int mode) { return ::open(path, flags, mode); }
long realRead(int fd, void* buffer, std::size_t count) { return ::read(fd, buffer, count); }
long realWrite(int fd, const void* buffer, std::size_t count) {
  return ::write(fd, buffer, count);
}
int realFsync(int fd) { return ::fsync(fd); }
int realFtruncate(int fd, long long length) {
  return ::ftruncate(fd, static_cast<off_t>(length));
}
int realClose(int fd) { return ::close(fd); }

}  // namespace

namespace host {

int lastError() { return errno; }
bool interrupted(int error) { return error == EINTR; }
int noSpaceError() { return ENOSPC; }

void dropReadPages(int file, long long offset, long long length) {
  // The pages just copied into the buffer leave the page cache, so that what the reading
  // process writes next reuses them instead of taking fresh memory (a data file written beside
  // the old one while that stays cached).
  posix_fadvise(file, static_cast<off_t>(offset), static_cast<off_t>(length),
                POSIX_FADV_DONTNEED);
}

}  // namespace host

const FileSystemCalls& realFileSystemCalls() {
  static const FileSystemCalls calls = {realOpen, realRead, realWrite,
                                        realFsync, realFtruncate, realClose};
  return calls;
}

FileStatus RecordFile::open(const char* path, OpenMode mode, const char* permissionOf) {
  if (isOpen()) return status::kAlreadyOpen;
  if (mode == OpenMode::Closed) return status::kPermanentError;
  // Records of a fixed length live only in regular files. O_NONBLOCK: a FIFO or a device
  // answers the open at once instead of waiting for its other end; the descriptor is refused
  // below unless it is a regular file, then made blocking. A line file (a list, a log) may be
  // a FIFO or a device; only a directory is refused there.
  const bool regularOnly = organization_ == Organization::RecordSequential;
  int flags = O_CLOEXEC | (regularOnly ? O_NONBLOCK : 0);
  if (mode == OpenMode::Input) flags |= O_RDONLY;
  if (mode == OpenMode::Output) flags |= O_WRONLY | O_CREAT | O_TRUNC;
  if (mode == OpenMode::Extend) flags |= O_WRONLY | O_CREAT | O_APPEND;
  struct stat info;
  // A name that is not a regular file is refused before it is opened at all (opening some
  // devices has effects of its own); the check after the open closes the race.
  if (regularOnly && ::stat(path, &info) == 0 && !S_ISREG(info.st_mode)) {
    return status::kPermissionDenied;
  }
  mode_t permission = 0666;
  struct stat model;
  const bool modelled =
      permissionOf != nullptr && ::stat(permissionOf, &model) == 0 && S_ISREG(model.st_mode);
  if (modelled) permission = model.st_mode & 0777;
  int fd = calls_->open(path, flags, static_cast<int>(permission));
  if (fd < 0) {
    int error = errno;
    if (error == ENOENT && mode == OpenMode::Input) return status::kFileNotFound;
    // ENXIO: a FIFO opened for writing with no reader, a device that is not there.
    if (error == EACCES || error == EPERM || error == EROFS || error == ENXIO || error == EISDIR) {
      return status::kPermissionDenied;
    }
    return status::kPermanentError;
  }
  // (A descriptor of a test's own calls may be no real one: fstat then says nothing.)
  const bool known = fstat(fd, &info) == 0;
  if (known && (regularOnly ? !S_ISREG(info.st_mode) : S_ISDIR(info.st_mode))) {
    calls_->close(fd);
    return status::kPermissionDenied;
  }
  if (!known) info.st_size = 0;
  // A file that was already there keeps no bit the model does not have.
  if (modelled && known && (info.st_mode & 0777 & ~permission) != 0) {
    fchmod(fd, info.st_mode & permission);
  }
  if (regularOnly) {
    const int fileFlags = fcntl(fd, F_GETFL);
    if (fileFlags != -1) fcntl(fd, F_SETFL, fileFlags & ~O_NONBLOCK);
  }
  // The directory that holds a written file: its entry is flushed too when the file closes.
  std::string directory;
  if (mode != OpenMode::Input) {
    const char* slash = std::strrchr(path, '/');
    directory = slash == nullptr ? std::string(".")
                                 : std::string(path, slash == path ? 1 : slash - path);
  }
  attach(fd, mode, mode == OpenMode::Extend ? static_cast<long long>(info.st_size) : 0,
         std::move(directory));
  return status::kSuccess;
}

void RecordFile::flushDirectoryEntry() {
  // A new file is only durable once its directory entry is; a directory that cannot be opened
  // or flushed (some file systems refuse) leaves the file's own flush standing.
  int directory = calls_->open(directory_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
  if (directory < 0) return;
  calls_->fsync(directory);
  calls_->close(directory);
}

}  // namespace dunax::platform
