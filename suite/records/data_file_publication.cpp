// Publishing a data file whole: the temporary name beside it, the stale temporary removed, and
// the rename over the data file through the platform's file routines.
#include "suite/records/data_file_publication.h"

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
  (void)platform::deleteFile(temporary);  // best effort: mostly there is none
}

platform::FileStatus checkReplaceable(const char* path, std::string* why) {
  platform::Status replaceable = platform::checkReplaceable(path);
  if (replaceable.ok()) return status::kSuccess;
  if (why != nullptr) {
    *why = replaceable.is(platform::StatusCode::IsDirectory) ? "a directory is not replaced"
                                                             : replaceable.message();
  }
  return platform::fileStatusOf(replaceable);
}

platform::FileStatus publish(const char* path) {
  char temporary[kMaxTemporaryNameLength + 1];
  temporaryNameOf(path, temporary);
  platform::Status published = platform::publishFile(temporary, path);
  if (published.ok()) return status::kSuccess;
  (void)platform::deleteFile(temporary);  // best effort: the failed publish is what is answered
  return published.is(platform::StatusCode::NoSpace) ? status::kBoundaryViolation
                                                     : status::kPermanentError;
}

}  // namespace dunax::records
