// Publishing a data file whole: the temporary name beside it, the stale temporary removed, and
// the rename over the data file through the platform's file routines.
#include "suite/records/data_file_publication.h"

#include <cstring>

#include "platform/durable_files.h"
#include "platform/file_routines.h"
#include "platform/host_path.h"

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
  const platform::Expected<std::string> host = platform::hostNameFromRecord(path);
  if (!host) return platform::fileStatusOf(host.status());
  platform::Status replaceable = platform::checkReplaceablePath(host->c_str());
  if (replaceable.ok()) return status::kSuccess;
  if (why != nullptr) {
    *why = replaceable.is(platform::StatusCode::IsDirectory) ? "a directory is not replaced"
                                                             : replaceable.message();
  }
  return platform::fileStatusOf(replaceable);
}

void putCobolStatus(const platform::FileStatus& status, char* statusField) {
  std::memcpy(statusField, status.code, sizeof(status.code));
}

void assignHostName(std::string_view recordName, char* assignedField,
                    const platform::FileStatus& failure, char* statusField) {
  std::memset(assignedField, ' ', kAssignedNameWidth);
  const platform::Expected<std::string> host = platform::hostNameFromRecord(recordName);
  if (recordName.empty() || !host || host->size() > kAssignedNameWidth) {
    putCobolStatus(failure, statusField);
    return;
  }
  std::memcpy(assignedField, host->data(), host->size());
  putCobolStatus(status::kSuccess, statusField);
}

platform::FileStatus publish(const char* path) {
  char temporary[kMaxTemporaryNameLength + 1];
  temporaryNameOf(path, temporary);
  platform::Status published = platform::publishFile(temporary, path);
  if (!published.ok()) {
    (void)platform::deleteFile(temporary);  // best effort: the failed publish is what is answered
  }
  return platform::writeStatusOf(published);
}

}  // namespace dunax::records
