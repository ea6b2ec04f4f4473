// Publishing a data file whole: the temporary name beside it, the stale temporary removed, and
// the rename over the data file through the platform's file routines.
#include "suite/records/data_file_publication.h"

#include <cerrno>
#include <cstring>

#include "platform/file_routines.h"

namespace dunax::records {
namespace {

namespace status = platform::status;

}  // namespace

void temporaryNameOf(const char* path, char* out) {
  std::size_t length = strnlen(path, sizeof(RequestBlock::dataFileName));
  std::memcpy(out, path, length);
  std::memcpy(out + length, kTemporarySuffix, sizeof(kTemporarySuffix));
}

void discardTemporary(const char* path) {
  char temporary[kMaxTemporaryNameLength + 1];
  temporaryNameOf(path, temporary);
  platform::deleteFile(temporary);
}

platform::FileStatus checkReplaceable(const char* path) {
  int error = platform::checkReplaceable(path);
  if (error == 0) return status::kSuccess;
  if (error == EACCES || error == EPERM || error == EROFS || error == EISDIR) {
    return status::kPermissionDenied;
  }
  return status::kPermanentError;
}

platform::FileStatus publish(const char* path) {
  char temporary[kMaxTemporaryNameLength + 1];
  temporaryNameOf(path, temporary);
  int error = platform::publishFile(temporary, path);
  if (error == 0) return status::kSuccess;
  platform::deleteFile(temporary);
  return (error == ENOSPC || error == EFBIG || error == EDQUOT) ? status::kBoundaryViolation
                                                               : status::kPermanentError;
}

}  // namespace dunax::records
