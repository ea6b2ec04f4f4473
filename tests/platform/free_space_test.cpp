// The free space of a file system, as --check weighs a run's outputs against it.
#include <gtest/gtest.h>

#include "platform/free_space.h"

namespace dunax::platform {
namespace {

TEST(FreeSpace, OfTheCurrentFolderAndOfNone) {
  const Expected<std::uint64_t> free = freeSpaceOf(".");
  ASSERT_TRUE(free.ok()) << free.status().message();
  EXPECT_GT(*free, 0u);
  EXPECT_EQ(StatusCode::NotFound, freeSpaceOf("no-such-folder/below").status().code());
}

}  // namespace
}  // namespace dunax::platform
