// The portable half of the status type: the codes' own words.
#include "platform/status.h"

#include <iterator>

namespace dunax::platform {

const char* wordsOfStatusCode(StatusCode code) {
  // By StatusCode, in its order.
  static constexpr const char* kWords[] = {
      "",
      "not found",
      "already exists",
      "permission denied",
      "no space left",
      "directory not empty",
      "is a directory",
      "not a directory",
      "invalid name",
      "in use elsewhere",
      "timed out",
      "interrupted",
      "not supported here",
      "failed",
  };
  static_assert(std::size(kWords) == static_cast<std::size_t>(StatusCode::Other) + 1);
  const auto index = static_cast<std::size_t>(code);
  return index < std::size(kWords) ? kWords[index] : "failed";
}

std::string Status::message() const {
  if (ok()) return {};
  return words_.empty() ? std::string(wordsOfStatusCode(code_)) : words_;
}

}  // namespace dunax::platform
