// SP2MF.so loaded by name as the programs load it: the converter's calls, close requests raised
// as real signals and seen as key codes at the next full display, the executor's calls, and
// the answer to an unknown function.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <string>

#include "converter/screen/panel_definition.h"
#include "platform/program_call.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kDataRecordSize = dunax::layouts::kPanelDataLength;

class Sp2mfModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* build = std::getenv("DUNAX_BUILD_DIR");
    ASSERT_NE(build, nullptr);
    setenv("COB_LIBRARY_PATH", (std::string(build) + "/lib/dunax").c_str(), 1);
    program_.setName("SP2MF   ");
    dunax::platform::Status loaded = program_.load();
    ASSERT_TRUE(loaded.ok()) << loaded.message();
  }

  int call(int function, void* record) {
    unsigned char code[2] = {static_cast<unsigned char>((function >> 8) & 0xFF),
                             static_cast<unsigned char>(function & 0xFF)};
    dunax::platform::Expected<int> result = program_.call(code, record);
    EXPECT_TRUE(result.ok());
    return result.valueOr(-1);
  }

  void openConverterWindow() {
    unsigned char definition[dunax::converter::screen::kPanelDefinitionSize];
    dunax::converter::screen::fillPanelDefinition(definition);
    ASSERT_EQ(call(128, definition), 0);
    unsigned char window[188] = {};
    std::memcpy(window + 58, "PDUNAXD ", 8);
    ASSERT_EQ(call(0, window), 0);
    std::memset(data_, 0, sizeof data_);
    std::memcpy(data_ + 62, "PDUNAXD ", 8);
    data_[offsetof(dunax::layouts::PanelDataRecord, displayMode)] = dunax::layouts::kDisplayAndReturnKey;
  }

  void closeConverterWindow() {
    unsigned char panelClose[10] = {0, 0, 'P', 'D', 'U', 'N', 'A', 'X', 'D', ' '};
    EXPECT_EQ(call(15, panelClose), 0);
    unsigned char windowClose[2] = {};
    EXPECT_EQ(call(12, windowClose), 0);
  }

  int fullDisplay() {
    EXPECT_EQ(call(19, data_), 0);
    return static_cast<std::int16_t>((data_[22] << 8) | data_[23]);
  }

  dunax::platform::OutsideProgram program_;
  unsigned char data_[kDataRecordSize];
};

TEST_F(Sp2mfModuleTest, CtrlCBecomesKeyCode3AtTheNextFullDisplayOnly) {
  openConverterWindow();
  EXPECT_EQ(fullDisplay(), 0);
  std::raise(SIGINT);  // the process is not ended: the library only takes note
  EXPECT_EQ(data_[22], 0);
  EXPECT_EQ(fullDisplay(), 3);
  EXPECT_EQ(data_[22], 0x00);
  EXPECT_EQ(data_[23], 0x03);
  EXPECT_EQ(fullDisplay(), 0);
  closeConverterWindow();
}

TEST_F(Sp2mfModuleTest, TerminationRequestAndHangUpBecomeTheWindowCloseEvent) {
  openConverterWindow();
  std::raise(SIGTERM);
  EXPECT_EQ(fullDisplay(), -5);
  EXPECT_EQ(data_[22], 0xFF);
  EXPECT_EQ(data_[23], 0xFB);
  EXPECT_EQ(fullDisplay(), 0);
  closeConverterWindow();
  openConverterWindow();
  std::raise(SIGHUP);
  EXPECT_EQ(fullDisplay(), -5);
  EXPECT_EQ(fullDisplay(), 0);
  closeConverterWindow();
}

TEST_F(Sp2mfModuleTest, ASecondTerminationRequestEndsTheProcessEvenWhenTheFirstWasTaken) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        openConverterWindow();
        std::raise(SIGTERM);
        if (fullDisplay() != -5) std::_Exit(1);
        std::raise(SIGHUP);
        std::_Exit(0);
      },
      ::testing::KilledBySignal(SIGHUP), "");
}

TEST_F(Sp2mfModuleTest, SignalsAreTheProcessOwnAgainAfterTheWindowCloses) {
  struct sigaction before;
  sigaction(SIGINT, nullptr, &before);
  openConverterWindow();
  struct sigaction during;
  sigaction(SIGINT, nullptr, &during);
  EXPECT_NE(during.sa_handler, before.sa_handler);
  closeConverterWindow();
  struct sigaction after;
  sigaction(SIGINT, nullptr, &after);
  EXPECT_EQ(after.sa_handler, before.sa_handler);
}

TEST_F(Sp2mfModuleTest, RefreshesAndTheWholeSetUpAnswerZero) {
  openConverterWindow();
  unsigned char window[188] = {};
  std::memcpy(window + 50, "PDUNAXD ", 8);
  EXPECT_EQ(call(34, window), 0);
  std::memset(window + 88, ' ', 100);
  std::memcpy(window + 88, "Em Convers\xE3o de MfCobol para RmCobol ...", 40);
  EXPECT_EQ(call(33, window), 0);
  EXPECT_EQ(fullDisplay(), 0);
  unsigned char refresh[10157] = {};
  for (int record = 0; record < 1000; ++record) {
    refresh[33] = 20;
    EXPECT_EQ(call(58, refresh), 0);
    refresh[33] = 1;
    EXPECT_EQ(call(58, refresh), 0);
  }
  closeConverterWindow();
}

TEST_F(Sp2mfModuleTest, ExecutorCallsAnswerZeroAndInstallNoHandlers) {
  struct sigaction before;
  sigaction(SIGINT, nullptr, &before);
  unsigned char start[10] = {0, 0, 'V', 'R', 'D', ' ', ' ', ' ', ' ', ' '};
  EXPECT_EQ(call(83, start), 0);
  unsigned char window[188] = {0, 0, 10, 0, 38, 0, 38, 0, 100, 0, 100, 0};
  window[20] = 80;
  window[22] = 25;
  std::memcpy(window + 50, "Dummy2  ", 8);
  window[79] = 'x';
  EXPECT_EQ(call(0, window), 0);
  struct sigaction during;
  sigaction(SIGINT, nullptr, &during);
  EXPECT_EQ(during.sa_handler, before.sa_handler);
  unsigned char closeField[2] = {};
  EXPECT_EQ(call(12, closeField), 0);
  EXPECT_EQ(call(16, closeField), 0);
}

TEST_F(Sp2mfModuleTest, UnknownFunctionsAnswerNonZero) {
  unsigned char record[64] = {};
  EXPECT_NE(call(1, record), 0);
  EXPECT_NE(call(999, record), 0);
  EXPECT_NE(call(-5, record), 0);
}

TEST_F(Sp2mfModuleTest, MessagesArePostedAndFetchedThroughTheStore) {
  unsigned char block[1014] = {};
  block[2] = 10;
  block[4] = 2;
  block[8] = 0xE8;
  block[9] = 0x03;
  block[10] = 0xE8;
  block[11] = 0x03;
  std::memset(block + 14, ' ', 1000);
  std::memcpy(block + 14, "#VRD#12345678PERGCDDIR", 22);
  std::string pattern = (fs::temp_directory_path() / "sp2mf-test-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  fs::path directory = fs::path(pattern) / "messages";
  setenv("DUNAX_MESSAGE_DIR", directory.c_str(), 1);
  EXPECT_EQ(call(53, block), 0);
  EXPECT_EQ(block[0], 0);
  unsigned char fetched[1014] = {};
  std::memcpy(fetched, block, 14);
  EXPECT_EQ(call(54, fetched), 0);
  EXPECT_EQ(std::memcmp(fetched + 14, block + 14, 1000), 0);
  // A directory that others can reach is refused: nothing is stored.
  fs::permissions(directory, fs::perms::group_read | fs::perms::group_exec, fs::perm_options::add);
  block[14] = 'X';
  EXPECT_NE(call(53, block), 0);
  unsetenv("DUNAX_MESSAGE_DIR");
  fs::remove_all(pattern);
}

}  // namespace
