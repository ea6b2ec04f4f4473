// VRDMSG.so loaded by name as the converter loads it: scripted answers taken one per call, the
// log of every block byte for byte, and "u" (nobody answered) when nobody can be asked.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/program_call.h"
#include "suite/vrdmsg/message_box.h"
#include "tests/support/test_support.h"

namespace dunax::vrdmsg {
namespace {

namespace fs = std::filesystem;

class VrdmsgModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* build = std::getenv("DUNAX_BUILD_DIR");
    ASSERT_NE(build, nullptr);
    dunax::testing::setVariable("COB_LIBRARY_PATH", (std::string(build) + "/lib/dunax").c_str());
    dunax::testing::setVariable("DUNAX_VRDMSG_ANSWERS", nullptr);
    dunax::testing::setVariable("DUNAX_VRDMSG_LOG", nullptr);
    const std::string made = dunax::testing::makeTemporaryDirectory("vrdmsg-test-");
    ASSERT_FALSE(made.empty());
    directory_ = made;
  }
  void TearDown() override {
    dunax::testing::setVariable("DUNAX_VRDMSG_ANSWERS", nullptr);
    dunax::testing::setVariable("DUNAX_VRDMSG_LOG", nullptr);
    fs::remove_all(directory_);
  }

  // One dialog: load, call, release, as the dialog service does. Returns the answer letter.
  char ask(unsigned char* block) {
    platform::OutsideProgram program("VRDMSG  ");
    platform::Expected<int> result = program.call(block);
    EXPECT_TRUE(result.ok()) << result.status().message();
    EXPECT_EQ(result.valueOr(-1), 0);
    program.release();
    return static_cast<char>(block[offsetof(dunax::layouts::MessageBoxBlock, answer)]);
  }

  static void fillBlock(unsigned char* block, char kind, char defaultButton, const char* line1) {
    std::memset(block, 0, kBlockSize);
    block[0] = 1;
    block[offsetof(dunax::layouts::MessageBoxBlock, boxKind)] = static_cast<unsigned char>(kind);
    block[offsetof(dunax::layouts::MessageBoxBlock, defaultButton)] = static_cast<unsigned char>(defaultButton);
    block[offsetof(dunax::layouts::MessageBoxBlock, buttonSet)] = 'y';
    std::memset(block + offsetof(dunax::layouts::MessageBoxBlock, line1), ' ', dunax::layouts::kMessageLineLength);
    std::memcpy(block + offsetof(dunax::layouts::MessageBoxBlock, line1), line1, std::strlen(line1));
    std::memset(block + offsetof(dunax::layouts::MessageBoxBlock, line2), ' ', dunax::layouts::kMessageLineLength);
    block[offsetof(dunax::layouts::MessageBoxBlock, line3Separator)] = ' ';
    std::memset(block + offsetof(dunax::layouts::MessageBoxBlock, line3), ' ', dunax::layouts::kMessageLineLength);
    block[offsetof(dunax::layouts::MessageBoxBlock, line4Separator)] = ' ';
    std::memset(block + offsetof(dunax::layouts::MessageBoxBlock, line4), ' ', sizeof(dunax::layouts::MessageBoxBlock::line4));
  }

  std::vector<std::string> logLines() const {
    std::ifstream in(directory_ / "vrdmsg.log");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  fs::path directory_;
};

TEST_F(VrdmsgModuleTest, ScriptedAnswersAreTakenInOrderThenNobodyAnswers) {
  dunax::testing::setVariable("DUNAX_VRDMSG_ANSWERS", "ny");
  unsigned char block[kBlockSize];
  fillBlock(block, 'q', 'y', "Primeira");
  EXPECT_EQ(ask(block), 'n');
  EXPECT_STREQ(std::getenv("DUNAX_VRDMSG_ANSWERS"), "y");
  fillBlock(block, 'q', 'n', "Segunda");
  EXPECT_EQ(ask(block), 'y');
  // Emptied (the C run-time of Windows drops a variable set to empty from its own copy).
  const char* rest = std::getenv("DUNAX_VRDMSG_ANSWERS");
  EXPECT_TRUE(rest == nullptr || rest[0] == '\0');
  // The list is exhausted and there is no terminal under the test: nobody answers.
  fillBlock(block, 'q', 'n', "Terceira");
  EXPECT_EQ(ask(block), kNobodyAnswered);
}

TEST_F(VrdmsgModuleTest, AnyScriptedLetterIsPassedThrough) {
  dunax::testing::setVariable("DUNAX_VRDMSG_ANSWERS", "x");
  unsigned char block[kBlockSize];
  fillBlock(block, 's', 'r', "Erro");
  EXPECT_EQ(ask(block), 'x');
}

TEST_F(VrdmsgModuleTest, WithoutATerminalNobodyAnswersWhateverTheDefault) {
  // "u", none of the buttons, for a confirmation of either default and for an error report.
  unsigned char block[kBlockSize];
  for (auto [kind, defaultButton] : {std::pair{'q', 'y'}, {'q', 'n'}, {'s', 'r'}}) {
    fillBlock(block, kind, defaultButton, "Pergunta");
    EXPECT_EQ(ask(block), 'u') << kind << defaultButton;
  }
}

TEST_F(VrdmsgModuleTest, EveryCallIsLoggedWithTheBlockAsReceived) {
  dunax::testing::setVariable("DUNAX_VRDMSG_LOG", (directory_ / "vrdmsg.log").string().c_str());
  dunax::testing::setVariable("DUNAX_VRDMSG_ANSWERS", "cr");
  unsigned char first[kBlockSize];
  fillBlock(first, 'q', 'n', "  Interrompe a Convers\xE3o? ");
  unsigned char sent[kBlockSize];
  std::memcpy(sent, first, kBlockSize);
  EXPECT_EQ(ask(first), 'c');
  unsigned char second[kBlockSize];
  fillBlock(second, 's', 'r', "O PROGRAMA");
  second[offsetof(dunax::layouts::MessageBoxBlock, line3Separator)] = '\n';
  EXPECT_EQ(ask(second), 'r');

  std::vector<std::string> lines = logLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], formatLogLine('c', sent));
  // The answer was written only after the block was logged.
  EXPECT_EQ(lines[0].substr(2 + 2 * offsetof(dunax::layouts::MessageBoxBlock, answer), 2), "00");
  EXPECT_NE(lines[0].find("436f6e76657273e36f3f"), std::string::npos);  // "Conversão?"
  second[offsetof(dunax::layouts::MessageBoxBlock, answer)] = 0;
  EXPECT_EQ(lines[1], formatLogLine('r', second));
}

}  // namespace
}  // namespace dunax::vrdmsg
