// The rules of the conversion run in-process, against fakes of the three outside programs: the
// requests each direction issues, what every answer to the file-error question does, the
// interruption, the close of the data file in "X" and a missing message box.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "converter/start_up.h"
#include "tests/converter/converter_test_support.h"

namespace dunax::testing {
namespace {

using converter::access::RequestBlock;

// Serves `records` records to the reads, accepts every write; `statusAt` answers a status at
// the given call number (from 1, counted over the whole run).
class FakeRecordAccess final : public converter::access::RecordAccessProgram {
 public:
  long records = 0;
  std::map<long, std::string> statusAt;
  std::vector<std::string> codes;
  std::vector<std::string> closeAreas;  // the record area's first 8 bytes at every "CL "

  platform::Status call(RequestBlock& block) override {
    const std::string code(block.requestCode, 3);
    codes.push_back(code);
    std::string status = "00";
    if (code == "TST" || code == "OU ") served_ = 0;
    if (code == "RN " || code == "ARN") {
      if (served_ < records) {
        ++served_;
        std::memcpy(block.recordArea, servedRecord(served_).data(), 1024);
      } else {
        status = "10";
      }
    }
    if (code == "CL ") closeAreas.emplace_back(reinterpret_cast<char*>(block.recordArea), 8);
    auto scripted = statusAt.find(static_cast<long>(codes.size()));
    if (scripted != statusAt.end()) status = scripted->second;
    block.setFileStatus({status[0], status[1]});
    return {};
  }
  void release() override {}
  std::string_view name() const override { return "FAKE"; }

 private:
  long served_ = 0;
};

// Puts `key` into the key code at full display number `keyAtDisplay` (from 1).
class FakeScreen final : public platform::ScreenProgram {
 public:
  long keyAtDisplay = 0;
  std::int16_t key = 0;

  platform::Expected<int> call(std::int16_t function, void* record) override {
    if (function == 19 && ++displays_ == keyAtDisplay) {
      auto* bytes = static_cast<unsigned char*>(record);
      bytes[22] = static_cast<unsigned char>((key >> 8) & 0xFF);
      bytes[23] = static_cast<unsigned char>(key & 0xFF);
    }
    return 0;
  }

 private:
  long displays_ = 0;
};

// Answers from `answers` in order, then "u" (nobody answered); unreachable when `missing`.
class FakeMessageBox final : public dialogs::MessageBoxProgram {
 public:
  std::string answers;
  bool missing = false;
  std::vector<std::string> fourthLines;

  platform::Status show(dialogs::MessageBoxBlock& block) override {
    if (missing) return platform::Status::failure(platform::StatusCode::NotFound, "not here");
    fourthLines.emplace_back(block.line4, 26);
    block.answer[0] = answers.empty() ? 'u' : answers[0];
    if (!answers.empty()) answers.erase(0, 1);
    return {};
  }
};

class ConversionRulesTest : public ::testing::Test {
 protected:
  int run(RunParameterFields fields) {
    fields.dataFile = directory.file("d.dat");
    const converter::RunParameter parameter =
        converter::runParameterFromText(buildRunParameter(fields));
    return converter::runConverter(parameter, {data, screen, box});
  }
  std::string transferFile() const { return readFile(directory.file("d.dat.bin")); }

  TemporaryDirectory directory;
  FakeRecordAccess data;
  FakeScreen screen;
  FakeMessageBox box;
};

std::vector<std::string> exportCodes(long records) {
  std::vector<std::string> codes = {"TST", "ST "};
  for (long i = 0; i <= records; ++i) codes.push_back("RN ");
  codes.push_back("CL ");
  return codes;
}

TEST_F(ConversionRulesTest, ExportIssuesItsRequestsAndWritesEveryRecord) {
  data.records = 3;
  EXPECT_EQ(run({}), 0);
  EXPECT_EQ(data.codes, exportCodes(3));
  EXPECT_EQ(transferFile(), servedRecord(1) + servedRecord(2) + servedRecord(3));
}

TEST_F(ConversionRulesTest, EveryAnswerToTheFileErrorQuestion) {
  struct Case {
    char ask;
    std::string answers;
    int exitCode;
    std::size_t attempts;
  };
  const Case cases[] = {
      {'N', "", 32, 1},   // not asked: the file is given up
      {'S', "y", 32, 1},  // yes: give the file up
      {'S', "c", 16, 1},  // cancelled: abort everything
      {'S', "", 16, 1},   // nobody answered: abort, never another attempt
      {'S', "ny", 32, 2}, // no: convert the file again, then give it up
  };
  for (const Case& c : cases) {
    FakeRecordAccess failing;
    failing.records = 5;
    // Every attempt (TST, ST, RN, CL) fails at its first read.
    for (long attempt = 0; attempt < 10; ++attempt) failing.statusAt[3 + 4 * attempt] = "30";
    FakeMessageBox answers;
    answers.answers = c.answers;
    RunParameterFields fields;
    fields.ask = c.ask;
    fields.dataFile = directory.file("d.dat");
    const converter::RunParameter parameter =
        converter::runParameterFromText(buildRunParameter(fields));
    EXPECT_EQ(converter::runConverter(parameter, {failing, screen, answers}), c.exitCode)
        << c.ask << c.answers;
    std::size_t attempts = 0;
    for (const std::string& code : failing.codes) attempts += code == "TST";
    EXPECT_EQ(attempts, c.attempts) << c.ask << c.answers;
    EXPECT_FALSE(fileExists(directory.file("d.dat.bin"))) << c.ask << c.answers;
  }
}

TEST_F(ConversionRulesTest, KeyOptionSendsAstThenOneArnThenRn) {
  data.records = 2;
  RunParameterFields fields;
  fields.keyOption = 'O';
  EXPECT_EQ(run(fields), 0);
  EXPECT_EQ(data.codes, (std::vector<std::string>{"TST", "AST", "ARN", "RN ", "RN ", "CL "}));
}

TEST_F(ConversionRulesTest, AnInterruptionAnsweredYesStopsWith16AndNoAnswersGoesOn) {
  data.records = 250;
  screen.keyAtDisplay = 2;  // the full display after record 100
  screen.key = 3;           // Ctrl+C
  box.answers = "n";
  EXPECT_EQ(run({}), 0);
  EXPECT_EQ(data.codes.size(), exportCodes(250).size());

  FakeRecordAccess again;
  again.records = 250;
  FakeScreen closing;
  closing.keyAtDisplay = 2;
  closing.key = -5;  // the window closed
  FakeMessageBox yes;
  yes.answers = "y";
  RunParameterFields fields;
  fields.dataFile = directory.file("e.dat");
  const converter::RunParameter parameter =
      converter::runParameterFromText(buildRunParameter(fields));
  EXPECT_EQ(converter::runConverter(parameter, {again, closing, yes}), 16);
  EXPECT_EQ(again.codes.back(), "CL ");
  EXPECT_LT(again.codes.size(), exportCodes(250).size());
  EXPECT_FALSE(fileExists(directory.file("e.dat.bin")));
}

TEST_F(ConversionRulesTest, ImportKeepsOrDiscardsWhatItWroteAtTheClose) {
  struct Case {
    std::string transfer;
    std::map<long, std::string> statusAt;
    int exitCode;
    std::string closeArea;
  };
  const Case cases[] = {
      {servedRecord(1) + servedRecord(2), {}, 0, "        "},
      {servedRecord(1) + "partial", {}, 32, "DESCARTA"},  // a partial transfer record
      {servedRecord(1) + servedRecord(2), {{3, "22"}}, 32, "DESCARTA"},  // a write refused
      {servedRecord(1), {{3, "34"}}, 32, "        "},  // the close itself fails: no success
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(writeFile(directory.file("d.dat.bin"), c.transfer));
    FakeRecordAccess writer;
    writer.statusAt = c.statusAt;
    RunParameterFields fields;
    fields.direction = 'X';
    fields.dataFile = directory.file("d.dat");
    const converter::RunParameter parameter =
        converter::runParameterFromText(buildRunParameter(fields));
    EXPECT_EQ(converter::runConverter(parameter, {writer, screen, box}), c.exitCode);
    ASSERT_FALSE(writer.closeAreas.empty());
    EXPECT_EQ(writer.closeAreas.back(), c.closeArea);
  }
}

TEST_F(ConversionRulesTest, AMissingMessageBoxEndsTheRunWith16AfterACleanEnd) {
  data.records = 3;
  data.statusAt[1] = "35";
  box.missing = true;
  RunParameterFields fields;
  fields.ask = 'S';
  EXPECT_EQ(run(fields), 16);
  EXPECT_EQ(data.codes, (std::vector<std::string>{"TST", "CL "}));
}

}  // namespace
}  // namespace dunax::testing
