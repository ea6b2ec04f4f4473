// The converter's counts line: both sides in the order of the direction, and no line unless
// the manager asked for it.
#include "converter/counts_line.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/process.h"

namespace dunax::converter {
namespace {

TEST(CountsLine, ReadIsTheSourceSideWrittenTheTarget) {
  EXPECT_EQ(countsLine('B', 120, 119, 2), "DUNAXMF counts: read 120 written 119 segments 2");
  EXPECT_EQ(countsLine('X', 120, 119, 0), "DUNAXMF counts: read 119 written 120 segments 0");
}

TEST(CountsLine, WrittenOnlyWhenAskedFor) {
  for (const std::string value : {"", "0", "yes", "1"}) {
    ASSERT_TRUE(platform::setEnvironmentValue("DUNAX_COUNTS", value.c_str()).ok());
    testing::internal::CaptureStderr();
    reportCounts('B', 5, 5, 0);
    const std::string written = testing::internal::GetCapturedStderr();
    EXPECT_EQ(written, value == "1" ? "DUNAXMF counts: read 5 written 5 segments 0\n" : "")
        << value;
  }
  ASSERT_TRUE(platform::setEnvironmentValue("DUNAX_COUNTS", "").ok());
}

}  // namespace
}  // namespace dunax::converter
