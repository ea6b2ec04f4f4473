// The status type on POSIX: errno numbers mapped to the codes, strerror for their words.
#include "platform/status.h"

#include <cerrno>
#include <cstring>

namespace dunax::platform {

StatusCode statusCodeOfNative(int native) {
  switch (native) {
    case 0:
      return StatusCode::Ok;
    case ENOENT:
    case ESRCH:
    case ECHILD:
      return StatusCode::NotFound;
    case EEXIST:
      return StatusCode::AlreadyExists;
    case EACCES:
    case EPERM:
    case EROFS:
      return StatusCode::PermissionDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return StatusCode::NoSpace;
    case ENOTEMPTY:
      return StatusCode::NotEmpty;
    case EISDIR:
      return StatusCode::IsDirectory;
    case ENOTDIR:
      return StatusCode::NotDirectory;
    case EINVAL:
    case ENAMETOOLONG:
    case ELOOP:
      return StatusCode::InvalidName;
    case EWOULDBLOCK:
    case EALREADY:
    case EBUSY:
      return StatusCode::Busy;
    case ETIMEDOUT:
      return StatusCode::TimedOut;
    case EINTR:
      return StatusCode::Interrupted;
    case ENOTTY:
    case ENOSYS:
    case EOPNOTSUPP:
      return StatusCode::Unsupported;
    default:
      return StatusCode::Other;
  }
}

Status Status::fromNative(int native) {
  if (native == 0) return Status();
  return Status(statusCodeOfNative(native), native, std::strerror(native));
}

}  // namespace dunax::platform
