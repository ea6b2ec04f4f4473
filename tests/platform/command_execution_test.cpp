// Command lines run through the host's shell, with their exit codes (POSIX).
#include <gtest/gtest.h>

#include <string>

#include "platform/command_execution.h"
#include "tests/support/in_fresh_directory.h"

namespace dunax::platform {
namespace {

using testing::readFile;

class CommandExecutionTest : public testing::InFreshDirectory {};

#ifndef _WIN32
TEST_F(CommandExecutionTest, CommandLineRunsThroughTheShellAndGivesItsExitCode) {
  EXPECT_EQ(0, runCommandLine("echo run > OUT.TXT   ").valueOr(-1));
  EXPECT_EQ("run\n", readFile("OUT.TXT"));
  EXPECT_EQ(3, runCommandLine("exit 3").valueOr(-1));
  EXPECT_EQ(0, runCommandLine(std::string_view("true\0false", 10)).valueOr(-1));
}
#endif

}  // namespace
}  // namespace dunax::platform
