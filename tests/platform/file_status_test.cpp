// The map from a platform Status to the 2-character file status: at the open (refusals are
// "37") and after it (only no room is told apart).
#include <gtest/gtest.h>

#include <string>

#include "platform/file_status.h"

namespace dunax::platform {
namespace {

static_assert(FileStatus().ok() && status::kSuccess.ok() && !status::kPermanentError.ok());

TEST(FileStatusTest, EachFailureHasItsStatusAtTheOpenAndAfterIt) {
  const struct {
    StatusCode code;
    const char* atOpen;
    const char* afterOpen;
  } cases[] = {
      {StatusCode::Ok, "00", "00"},
      {StatusCode::NoSpace, "34", "34"},
      {StatusCode::PermissionDenied, "37", "30"},
      {StatusCode::IsDirectory, "37", "30"},
      {StatusCode::AlreadyExists, "37", "30"},
      {StatusCode::NotFound, "30", "30"},
      {StatusCode::InvalidName, "30", "30"},
      {StatusCode::Other, "30", "30"},
  };
  for (const auto& c : cases) {
    const Status failure = c.code == StatusCode::Ok ? Status() : Status::failure(c.code);
    EXPECT_EQ(c.atOpen, std::string(fileStatusOf(failure).code, 2)) << c.atOpen;
    EXPECT_EQ(c.afterOpen, std::string(writeStatusOf(failure).code, 2)) << c.afterOpen;
  }
}

}  // namespace
}  // namespace dunax::platform
