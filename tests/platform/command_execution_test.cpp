// Command lines run through the host's shell (the command interpreter on Windows), with their
// exit codes.
#include "platform/command_execution.h"
#include "tests/platform/platform_test.h"

namespace dunax::platform {
namespace {

class CommandExecutionTest : public testing::InFreshDirectory {};

#ifndef _WIN32
TEST_F(CommandExecutionTest, CommandLineRunsThroughTheShellAndGivesItsExitCode) {
  EXPECT_EQ(0, runCommandLine("echo run > OUT.TXT   ").valueOr(-1));
  EXPECT_EQ("run\n", readFile("OUT.TXT"));
  EXPECT_EQ(3, runCommandLine("exit 3").valueOr(-1));
  EXPECT_EQ(0, runCommandLine(std::string_view("true\0false", 10)).valueOr(-1));
}
#else
TEST_F(CommandExecutionTest, CommandLineGivesTheInterpretersExitCode) {
  EXPECT_EQ(runCommandLine("exit 3").valueOr(-1), 3);
  EXPECT_EQ(runCommandLine("if \"a b\"==\"a b\" exit 4").valueOr(-1), 4);
  EXPECT_EQ(runCommandLine(std::string_view("exit 5\0exit 6", 13)).valueOr(-1), 5);
}
#endif

}  // namespace
}  // namespace dunax::platform
