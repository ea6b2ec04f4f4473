// The portable half of the status type: the codes' own words.
#include "platform/status.h"

namespace dunax::platform {

const char* wordsOfStatusCode(StatusCode code) {
  switch (code) {
    case StatusCode::Ok:
      return "";
    case StatusCode::NotFound:
      return "not found";
    case StatusCode::AlreadyExists:
      return "already exists";
    case StatusCode::PermissionDenied:
      return "permission denied";
    case StatusCode::NoSpace:
      return "no space left";
    case StatusCode::NotEmpty:
      return "directory not empty";
    case StatusCode::IsDirectory:
      return "is a directory";
    case StatusCode::NotDirectory:
      return "not a directory";
    case StatusCode::InvalidName:
      return "invalid name";
    case StatusCode::Busy:
      return "in use elsewhere";
    case StatusCode::TimedOut:
      return "timed out";
    case StatusCode::Interrupted:
      return "interrupted";
    case StatusCode::Unsupported:
      return "not supported here";
    case StatusCode::Other:
      break;
  }
  return "failed";
}

std::string Status::message() const {
  if (ok()) return {};
  return words_.empty() ? std::string(wordsOfStatusCode(code_)) : words_;
}

}  // namespace dunax::platform
