// What the platform tests share: a fixture of a fresh current directory, files read and written
// whole, and a file status as its two characters.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/file_status.h"
#include "tests/support/in_fresh_directory.h"

namespace dunax::platform {

namespace fs = std::filesystem;
using testing::readFile;
using testing::TemporaryDirectory;
using testing::writeFile;

inline std::string statusText(FileStatus status) { return std::string(status.code, 2); }

}  // namespace dunax::platform
