// The status type on POSIX: errno numbers mapped to the codes, strerror for their words.
#include "platform/status.h"

#include <cerrno>
#include <cstring>

namespace dunax::platform {
namespace {

// The errno numbers each status code stands for; 0 is Ok, every other number Other.
struct NativeGroup {
  StatusCode code;
  int natives[3];  // 0 ends a shorter list
};
constexpr NativeGroup kNativeGroups[] = {
    {StatusCode::NotFound, {ENOENT, ESRCH, ECHILD}},
    {StatusCode::AlreadyExists, {EEXIST}},
    {StatusCode::PermissionDenied, {EACCES, EPERM, EROFS}},
    {StatusCode::NoSpace, {ENOSPC, EDQUOT, EFBIG}},
    {StatusCode::NotEmpty, {ENOTEMPTY}},
    {StatusCode::IsDirectory, {EISDIR}},
    {StatusCode::NotDirectory, {ENOTDIR}},
    {StatusCode::InvalidName, {EINVAL, ENAMETOOLONG, ELOOP}},
    {StatusCode::Busy, {EWOULDBLOCK, EALREADY, EBUSY}},
    {StatusCode::TimedOut, {ETIMEDOUT}},
    {StatusCode::Interrupted, {EINTR}},
    {StatusCode::Unsupported, {ENOTTY, ENOSYS, EOPNOTSUPP}},
};

}  // namespace

StatusCode statusCodeOfNative(int native) {
  if (native == 0) return StatusCode::Ok;
  for (const NativeGroup& group : kNativeGroups) {
    for (int member : group.natives) {
      if (member == native) return group.code;
    }
  }
  return StatusCode::Other;
}

Status Status::fromNative(int native) {
  if (native == 0) return Status();
  return Status(statusCodeOfNative(native), native, std::strerror(native));
}

}  // namespace dunax::platform
