// A test fixture: each test in a fresh temporary directory made the current one, removed after.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/test_support.h"

namespace dunax::testing {

class InFreshDirectory : public ::testing::Test {
 protected:
  const std::filesystem::path& root() const { return here_.path(); }
  std::string folder() const { return here_.path().string(); }

 private:
  FreshCurrentDirectory here_;
};

}  // namespace dunax::testing
