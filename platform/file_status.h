// The 2-character file status of the COBOL file-status convention ("00" success, "10" end of
// file, "35" file not found, ...). It is the status type of every record-file operation. And
// the one map from a platform Status to it (with its second table for the steps after the open).
#pragma once

#include "platform/status.h"

namespace dunax::platform {

struct FileStatus {
  char code[2];

  constexpr FileStatus() : code{'0', '0'} {}
  constexpr FileStatus(char first, char second) : code{first, second} {}

  constexpr bool is(char first, char second) const {
    return code[0] == first && code[1] == second;
  }
  constexpr bool ok() const { return is('0', '0'); }
  friend constexpr bool operator==(const FileStatus& a, const FileStatus& b) {
    return a.code[0] == b.code[0] && a.code[1] == b.code[1];
  }
};

namespace status {
inline constexpr FileStatus kSuccess{'0', '0'};
inline constexpr FileStatus kLengthMismatch{'0', '4'};   // a trailing partial record
inline constexpr FileStatus kEndOfFile{'1', '0'};
inline constexpr FileStatus kPermanentError{'3', '0'};   // an I/O error the handler cannot name
inline constexpr FileStatus kBoundaryViolation{'3', '4'};  // no room left: disk full, size limit
inline constexpr FileStatus kFileNotFound{'3', '5'};
inline constexpr FileStatus kPermissionDenied{'3', '7'};
inline constexpr FileStatus kAlreadyOpen{'4', '1'};
inline constexpr FileStatus kNotOpen{'4', '2'};
inline constexpr FileStatus kReadAfterEnd{'4', '6'};
inline constexpr FileStatus kNotOpenForInput{'4', '7'};
inline constexpr FileStatus kNotOpenForOutput{'4', '8'};
}  // namespace status

// Returns the file status of a file that could not be made, opened for replacing or checked:
// "00" for success, "34" no room left, "37" permission denied, a directory or a name already
// there, "30" any other failure.
inline FileStatus fileStatusOf(const Status& failure) {
  switch (failure.code()) {
    case StatusCode::Ok:
      return status::kSuccess;
    case StatusCode::NoSpace:
      return status::kBoundaryViolation;
    case StatusCode::PermissionDenied:
    case StatusCode::IsDirectory:
    case StatusCode::AlreadyExists:
      return status::kPermissionDenied;
    default:
      return status::kPermanentError;
  }
}

// Returns the file status of a write, flush or publish that failed, on a file open already:
// "00" for success, "34" no room left, "30" any other failure (a refusal there is no "37").
inline FileStatus writeStatusOf(const Status& failure) {
  if (failure.ok()) return status::kSuccess;
  return failure.is(StatusCode::NoSpace) ? status::kBoundaryViolation : status::kPermanentError;
}

}  // namespace dunax::platform
