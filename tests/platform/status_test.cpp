// The status type: the host's error numbers mapped to the codes with the host's words, the
// codes' own words, and a value or the failure that says why there is none.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/status.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

namespace dunax::platform {
namespace {

#ifdef _WIN32
constexpr int kNativeNotFound = ERROR_FILE_NOT_FOUND;

// On Windows the native numbers are the system's error codes, with the system's words.
TEST(StatusTest, ErrorNumbersMapToCodesWithTheHostsWords) {
  const struct {
    int native;
    StatusCode code;
  } kCases[] = {
      {ERROR_FILE_NOT_FOUND, StatusCode::NotFound},
      {ERROR_PATH_NOT_FOUND, StatusCode::NotFound},
      {ERROR_ALREADY_EXISTS, StatusCode::AlreadyExists},
      {ERROR_FILE_EXISTS, StatusCode::AlreadyExists},
      {ERROR_ACCESS_DENIED, StatusCode::PermissionDenied},
      {ERROR_DISK_FULL, StatusCode::NoSpace},
      {ERROR_HANDLE_DISK_FULL, StatusCode::NoSpace},
      {ERROR_DIR_NOT_EMPTY, StatusCode::NotEmpty},
      {ERROR_SHARING_VIOLATION, StatusCode::Busy},
      {ERROR_LOCK_VIOLATION, StatusCode::Busy},
      {ERROR_INVALID_NAME, StatusCode::InvalidName},
      {ERROR_BAD_PATHNAME, StatusCode::InvalidName},
  };
  for (const auto& c : kCases) {
    const Status status = Status::fromNative(c.native);
    EXPECT_FALSE(status.ok()) << c.native;
    EXPECT_EQ(status.code(), c.code) << c.native;
    EXPECT_EQ(status.native(), c.native);
    // The system's own words, without the full stop FormatMessageW ends them with.
    const std::string words = status.message();
    ASSERT_FALSE(words.empty()) << c.native;
    EXPECT_NE(words.back(), '.') << words;
    EXPECT_NE(words, wordsOfStatusCode(c.code)) << words;
  }
  EXPECT_TRUE(Status::fromNative(0).ok());
  EXPECT_EQ(Status::fromNative(0).message(), "");
}
#else
constexpr int kNativeNotFound = ENOENT;

TEST(StatusTest, ErrorNumbersMapToCodesWithTheHostsWords) {
  const struct {
    int native;
    StatusCode code;
  } kCases[] = {
      {ENOENT, StatusCode::NotFound},         {ECHILD, StatusCode::NotFound},
      {EEXIST, StatusCode::AlreadyExists},    {EACCES, StatusCode::PermissionDenied},
      {EPERM, StatusCode::PermissionDenied},  {EROFS, StatusCode::PermissionDenied},
      {ENOSPC, StatusCode::NoSpace},          {EFBIG, StatusCode::NoSpace},
      {EDQUOT, StatusCode::NoSpace},          {ENOTEMPTY, StatusCode::NotEmpty},
      {EISDIR, StatusCode::IsDirectory},      {ENOTDIR, StatusCode::NotDirectory},
      {EINVAL, StatusCode::InvalidName},      {ENAMETOOLONG, StatusCode::InvalidName},
      {EWOULDBLOCK, StatusCode::Busy},        {ETIMEDOUT, StatusCode::TimedOut},
      {EINTR, StatusCode::Interrupted},       {ENOTTY, StatusCode::Unsupported},
      {EIO, StatusCode::Other},
  };
  for (const auto& c : kCases) {
    const Status status = Status::fromNative(c.native);
    EXPECT_FALSE(status.ok()) << c.native;
    EXPECT_EQ(status.code(), c.code) << c.native;
    EXPECT_EQ(status.native(), c.native);
    EXPECT_EQ(status.message(), std::strerror(c.native));
  }
  EXPECT_TRUE(Status::fromNative(0).ok());
  EXPECT_EQ(Status::fromNative(0).message(), "");
}
#endif

TEST(StatusTest, AFailureWithoutWordsHasItsCodesWords) {
  EXPECT_EQ(Status::failure(StatusCode::NotFound).message(), "not found");
  EXPECT_EQ(Status::failure(StatusCode::NotFound, "X.so was not found in /lib").message(),
            "X.so was not found in /lib");
  EXPECT_EQ(Status::failure(StatusCode::NotFound).native(), 0);
}

TEST(StatusTest, ExpectedHoldsAValueOrTheFailure) {
  Expected<std::string> value = std::string("here");
  ASSERT_TRUE(value.ok());
  EXPECT_EQ(*value, "here");
  EXPECT_TRUE(value.status().ok());
  Expected<std::string> failed = Status::fromNative(kNativeNotFound);
  EXPECT_FALSE(failed.ok());
  EXPECT_EQ(failed.status().code(), StatusCode::NotFound);
  EXPECT_EQ(failed.valueOr("fallback"), "fallback");
  Expected<int> withoutReason = Status();  // a success without a value is no value
  EXPECT_FALSE(withoutReason.ok());
  EXPECT_EQ(withoutReason.status().code(), StatusCode::Other);
}

}  // namespace
}  // namespace dunax::platform
