// The converter run as its manager sees it: exit codes, the request codes the record-access
// program receives, the transfer file on disk byte for byte, and the dialogs asked.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/converter/converter_test_support.h"

namespace dunax::testing {
namespace {

std::vector<std::string> repeat(const std::string& code, int times) {
  return std::vector<std::string>(static_cast<std::size_t>(times), code);
}

std::vector<std::string> concat(std::vector<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

std::string transferRecords(long first, long last) {
  std::string content;
  for (long i = first; i <= last; ++i) content += servedRecord(i);
  return content;
}

TEST_F(ConverterRunTest, BadDirectionEndsWith16TouchingNothing) {
  RunParameterFields fields;
  fields.direction = 'Q';
  EXPECT_EQ(convert(buildRunParameter(fields)).exitCode, 16);
  EXPECT_EQ(convert("").exitCode, 16);
  EXPECT_EQ(convert("b").exitCode, 16);
  EXPECT_TRUE(screenCalls().empty());
  EXPECT_TRUE(requestCodes().empty());
  EXPECT_FALSE(fileExists(path("dados.dat.bin")));
}

TEST_F(ConverterRunTest, ExportWritesEveryRecordAndSucceeds) {
  RunResult result = convert(buildRunParameter({}), {"RECTEST_RECORDS=250"});
  ASSERT_EQ(result.exitCode, 0) << result.output;
  EXPECT_EQ(readFile(path("dados.dat.bin")), transferRecords(1, 250));
  EXPECT_EQ(requestCodes(),
            concat({{"TST", "ST "}, repeat("RN ", 251), {"CL "}}));
  EXPECT_TRUE(boxCalls().empty());
}

TEST_F(ConverterRunTest, ExportOfAnEmptyFileSucceedsWithAnEmptyTransferFile) {
  RunResult result = convert(buildRunParameter({}), {"RECTEST_RECORDS=0", "RECTEST_STATUS=2:23"});
  ASSERT_EQ(result.exitCode, 0) << result.output;
  EXPECT_EQ(fileSize(path("dados.dat.bin")), 0);
  EXPECT_EQ(requestCodes(), (std::vector<std::string>{"TST", "ST ", "CL "}));
}

TEST_F(ConverterRunTest, KeyOptionSendsAstThenOneArnThenRn) {
  RunParameterFields fields;
  fields.keyOption = 'O';
  ASSERT_EQ(convert(buildRunParameter(fields), {"RECTEST_RECORDS=3"}).exitCode, 0);
  EXPECT_EQ(requestCodes(),
            (std::vector<std::string>{"TST", "AST", "ARN", "RN ", "RN ", "RN ", "CL "}));
}

TEST_F(ConverterRunTest, ShortRecordsKeepWhatEarlierReadsLeftInTheArea) {
  ASSERT_EQ(convert(buildRunParameter({}), {"RECTEST_RECORDS=2", "RECTEST_LENGTH=100"}).exitCode,
            0);
  std::string first = servedRecord(1).substr(0, 100) + std::string(924, '\0');
  std::string second = servedRecord(2).substr(0, 100) + std::string(924, '\0');
  EXPECT_EQ(readFile(path("dados.dat.bin")), first + second);
}

TEST_F(ConverterRunTest, StatusesThatClassifyAsSuccessKeepReading) {
  // "04" and "9" with byte 18 on reads count as "00".
  RunResult result = convert(buildRunParameter({}),
                             {"RECTEST_RECORDS=4", "RECTEST_STATUS=3:04,4:9%12"});
  ASSERT_EQ(result.exitCode, 0) << result.output;
  EXPECT_EQ(fileSize(path("dados.dat.bin")), 4 * 1024);
}

TEST_F(ConverterRunTest, ReadFailureGivesTheFileUpWithoutAskingWhenAskFlagIsNotS) {
  RunResult result = convert(buildRunParameter({}), {"RECTEST_RECORDS=10", "RECTEST_STATUS=5:30"});
  EXPECT_EQ(result.exitCode, 32);
  EXPECT_TRUE(boxCalls().empty());
  EXPECT_EQ(requestCodes().back(), "CL ");
}

TEST_F(ConverterRunTest, ReadFailureAskedAndRetriedStartsAfresh) {
  RunParameterFields fields;
  fields.ask = 'S';
  // The first attempt fails at its 5th call; "n" (do not ignore) retries the whole file.
  RunResult result = convert(buildRunParameter(fields),
                             {"RECTEST_RECORDS=10", "RECTEST_STATUS=5:30",
                              "DUNAX_VRDMSG_ANSWERS=n"});
  ASSERT_EQ(result.exitCode, 0) << result.output;
  std::vector<BoxCall> calls = boxCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].block[2], 'q');
  EXPECT_EQ(calls[0].block[3], 'n');  // no is the default
  EXPECT_EQ(calls[0].line(1), "Ficheiro:\"dados.dat\"" + std::string(40, ' '));
  EXPECT_EQ(calls[0].line(3), "ERRO 35" + std::string(53, ' '));  // "30" is classified "35"
  EXPECT_EQ(calls[0].line(4), "  Ignora este Ficheiro?   " + std::string(32, ' '));
  EXPECT_EQ(readFile(path("dados.dat.bin")), transferRecords(1, 10));
  EXPECT_EQ(requestCodes(), concat({{"TST", "ST ", "RN ", "RN ", "RN ", "CL "},
                                    {"TST", "ST "}, repeat("RN ", 11), {"CL "}}));
}

TEST_F(ConverterRunTest, AnswersToIgnoreThisFile) {
  RunParameterFields fields;
  fields.ask = 'S';
  EXPECT_EQ(convert(buildRunParameter(fields),
                    {"RECTEST_STATUS=1:35", "DUNAX_VRDMSG_ANSWERS=y"}).exitCode, 32);
  EXPECT_EQ(convert(buildRunParameter(fields),
                    {"RECTEST_STATUS=1:35", "DUNAX_VRDMSG_ANSWERS=c"}).exitCode, 16);
}

// With nobody to answer (no terminal, no scripted answer) a file error that would fail every
// attempt ends the run after one question instead of retrying for ever.
TEST_F(ConverterRunTest, NobodyToAnswerNeverLeadsIntoAnotherAttempt) {
  RunParameterFields fields;
  fields.program = "NOPROG";
  fields.ask = 'S';
  EXPECT_EQ(convert(buildRunParameter(fields)).exitCode, 16);
  std::vector<BoxCall> calls = boxCalls();
  ASSERT_EQ(calls.size(), 3u);  // not installed at the open and the close, then the question
  EXPECT_EQ(calls[2].answer, 'u');
  EXPECT_EQ(calls[2].line(4).substr(0, 26), "  Ignora este Ficheiro?   ");
}

TEST_F(ConverterRunTest, ImportWritesEveryTransferRecordWithSpacesAfterIt) {
  ASSERT_TRUE(writeFile(path("dados.dat.bin"), transferRecords(1, 120)));
  RunParameterFields fields;
  fields.direction = 'X';
  RunResult result = convert(buildRunParameter(fields),
                             {"RECTEST_OUTPUT=" + path("out"), "RECTEST_BLOCKS=" + path("blocks")});
  ASSERT_EQ(result.exitCode, 0) << result.output;
  EXPECT_EQ(readFile(path("out")), transferRecords(1, 120));
  EXPECT_EQ(requestCodes(), concat({{"OU "}, repeat("WR ", 120), {"CL "}}));
  std::string blocks = readFile(path("blocks"));
  ASSERT_EQ(blocks.size(), 122u * 2280);
  std::string secondWrite = blocks.substr(2 * 2280, 2280);
  EXPECT_EQ(secondWrite.substr(232, 1024), servedRecord(2));
  EXPECT_EQ(secondWrite.substr(232 + 1024), std::string(1024, ' '));
}

TEST_F(ConverterRunTest, ImportCountsWriteStatus02AsWrittenAndUsesAwrWithTheKeyOption) {
  ASSERT_TRUE(writeFile(path("dados.dat.bin"), transferRecords(1, 3)));
  RunParameterFields fields;
  fields.direction = 'X';
  fields.keyOption = 'O';
  RunResult result = convert(buildRunParameter(fields), {"RECTEST_STATUS=3:02"});
  ASSERT_EQ(result.exitCode, 0) << result.output;
  EXPECT_EQ(requestCodes(), (std::vector<std::string>{"OU ", "AWR", "AWR", "AWR", "CL "}));
}

TEST_F(ConverterRunTest, ImportOfAnEmptyTransferFileSendsNoWrite) {
  ASSERT_TRUE(writeFile(path("dados.dat.bin"), ""));
  RunParameterFields fields;
  fields.direction = 'X';
  ASSERT_EQ(convert(buildRunParameter(fields)).exitCode, 0);
  EXPECT_EQ(requestCodes(), (std::vector<std::string>{"OU ", "CL "}));
}

TEST_F(ConverterRunTest, ImportWriteFailureShowsTheDataFileErrorNotTheCountQuestion) {
  ASSERT_TRUE(writeFile(path("dados.dat.bin"), transferRecords(1, 5)));
  RunParameterFields fields;
  fields.direction = 'X';
  fields.ask = 'S';
  RunResult result = convert(buildRunParameter(fields),
                             {"RECTEST_STATUS=3:22", "DUNAX_VRDMSG_ANSWERS=y"});
  EXPECT_EQ(result.exitCode, 32);
  std::vector<BoxCall> calls = boxCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].line(1).substr(0, 20), "Ficheiro:\"dados.dat\"");
  EXPECT_EQ(calls[0].line(3).substr(0, 7), "ERRO 22");
}

// In "X" the data file's close is where its last records reach the disk: a close that fails
// is a data-file error, never a success.
TEST_F(ConverterRunTest, ImportWhoseDataFileCloseFailsIsNoSuccess) {
  ASSERT_TRUE(writeFile(path("dados.dat.bin"), transferRecords(1, 3)));
  RunParameterFields fields;
  fields.direction = 'X';
  fields.ask = 'S';
  RunResult result = convert(buildRunParameter(fields),
                             {"RECTEST_STATUS=5:34", "DUNAX_VRDMSG_ANSWERS=y"});
  EXPECT_EQ(result.exitCode, 32) << result.output;
  std::vector<BoxCall> calls = boxCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].line(1).substr(0, 20), "Ficheiro:\"dados.dat\"");
  EXPECT_EQ(calls[0].line(3).substr(0, 7), "ERRO 24");  // "34" as the status table classes it
}

// At "CL " in "X" the record area tells the program whether to keep what it wrote: spaces after
// an attempt that went well, "DESCARTA" after one that failed.
TEST_F(ConverterRunTest, ImportCloseSaysWhetherToKeepTheWrittenRecords) {
  struct Case {
    std::string transfer;
    std::string area;
  };
  const Case cases[] = {
      {transferRecords(1, 2), std::string(2048, ' ')},
      {transferRecords(1, 2) + "partial", "DESCARTA" + std::string(2040, ' ')},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(writeFile(path("dados.dat.bin"), c.transfer));
    RunParameterFields fields;
    fields.direction = 'X';
    convert(buildRunParameter(fields), {"RECTEST_BLOCKS=" + path("blocks")});
    std::string blocks = readFile(path("blocks"));
    ASSERT_GE(blocks.size(), 2280u);
    EXPECT_EQ(blocks.substr(blocks.size() - 2280 + 4, 3), "CL ");
    EXPECT_EQ(blocks.substr(blocks.size() - 2048), c.area);
    std::remove(path("blocks").c_str());
  }
}

TEST_F(ConverterRunTest, ImportOfAMissingTransferFileIsATransferFileError) {
  RunParameterFields fields;
  fields.direction = 'X';
  fields.ask = 'S';
  EXPECT_EQ(convert(buildRunParameter(fields), {"DUNAX_VRDMSG_ANSWERS=y"}).exitCode, 32);
  std::vector<BoxCall> calls = boxCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].line(1).substr(0, 24), "Ficheiro:\"dados.dat.bin\"");
  EXPECT_EQ(calls[0].line(3).substr(0, 7), "ERRO 35");
  EXPECT_EQ(requestCodes(), std::vector<std::string>{"CL "});
}

TEST_F(ConverterRunTest, ImportStopsAtAPartialTrailingRecord) {
  ASSERT_TRUE(writeFile(path("dados.dat.bin"), transferRecords(1, 3) + std::string(100, 'z')));
  RunParameterFields fields;
  fields.direction = 'X';
  EXPECT_EQ(convert(buildRunParameter(fields), {"RECTEST_OUTPUT=" + path("out")}).exitCode, 32);
  EXPECT_EQ(readFile(path("out")), transferRecords(1, 3));
}

TEST_F(ConverterRunTest, ImportRefusesASegmentCountThatIsNotTwoDigits) {
  ASSERT_TRUE(writeFile(path("dados.dat.bin"), transferRecords(1, 3)));
  RunParameterFields fields;
  fields.direction = 'X';
  fields.segments = "1x";
  EXPECT_EQ(convert(buildRunParameter(fields)).exitCode, 32);
  EXPECT_EQ(requestCodes(), std::vector<std::string>{"CL "});
  fields.segments = "  ";  // spaces count as "00"
  EXPECT_EQ(convert(buildRunParameter(fields)).exitCode, 0);
}

TEST_F(ConverterRunTest, ImportReadsTheAnnouncedSegmentsInOrder) {
  ASSERT_TRUE(writeFile(path("dados.dat.bin"), transferRecords(1, 2)));
  ASSERT_TRUE(writeFile(path("dados.dat.bi1"), transferRecords(3, 3)));
  ASSERT_TRUE(writeFile(path("dados.dat.bi2"), ""));
  ASSERT_TRUE(writeFile(path("dados.dat.bi3"), transferRecords(4, 5)));
  RunParameterFields fields;
  fields.direction = 'X';
  fields.segments = "03";
  ASSERT_EQ(convert(buildRunParameter(fields), {"RECTEST_OUTPUT=" + path("out")}).exitCode, 0);
  EXPECT_EQ(readFile(path("out")), transferRecords(1, 5));
}

TEST_F(ConverterRunTest, ImportWithAnAnnouncedSegmentMissingIsNotASuccess) {
  ASSERT_TRUE(writeFile(path("dados.dat.bin"), transferRecords(1, 2)));
  RunParameterFields fields;
  fields.direction = 'X';
  fields.segments = "01";
  EXPECT_EQ(convert(buildRunParameter(fields)).exitCode, 32);
  // A name too long to hold ".bi" in positions 1-46 cannot reach its segments either.
  std::string longName = std::string(46, 'n');
  ASSERT_TRUE(writeFile(path(longName + ".bin"), transferRecords(1, 2)));
  fields.dataFile = longName;
  EXPECT_EQ(convert(buildRunParameter(fields)).exitCode, 32);
  fields.segments = "00";
  EXPECT_EQ(convert(buildRunParameter(fields)).exitCode, 0);
}

TEST_F(ConverterRunTest, OnlyTheNameBeforeTheFirstSpaceNamesTheTransferFile) {
  RunParameterFields fields;
  fields.dataFile = "dados.dat resto";
  ASSERT_EQ(convert(buildRunParameter(fields), {"RECTEST_RECORDS=1"}).exitCode, 0);
  EXPECT_EQ(fileSize(path("dados.dat.bin")), 1024);
}

TEST_F(ConverterRunTest, MissingRecordAccessProgramIsReportedAtOpenAndClose) {
  RunParameterFields fields;
  fields.program = "NOSUCH";
  fields.ask = 'S';
  RunResult result = convert(buildRunParameter(fields), {"DUNAX_VRDMSG_ANSWERS=rry"});
  EXPECT_EQ(result.exitCode, 32);
  std::vector<BoxCall> calls = boxCalls();
  ASSERT_EQ(calls.size(), 3u);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(calls[i].block[2], 's');
    EXPECT_EQ(calls[i].line(1), "         PROGRAMA \"NOSUCH  \"" + std::string(32, ' '));
    EXPECT_EQ(calls[i].line(2), std::string(60, ' '));
    EXPECT_EQ(calls[i].line(3), "     N\xC3O SE ENCONTRA INSTALADO !!!" + std::string(26, ' '));
  }
  EXPECT_EQ(calls[2].line(3).substr(0, 7), "ERRO   ");
  EXPECT_NE(result.output.find("NOSUCH"), std::string::npos);
}

TEST_F(ConverterRunTest, MissingMessageBoxEndsWithTheConsoleLinesAnd16) {
  RunParameterFields fields;
  fields.ask = 'S';
  std::vector<std::string> environment = {"RECTEST_STATUS=1:35"};
  environment.push_back("COB_LIBRARY_PATH=" + doublesDirectory());
  // Only the doubles: no VRDMSG on the path, and none beside a copy of the program.
  std::string isolated = copyOfTheConverter();
  RunResult result = runProgram(isolated + "/DUNAXMF", {buildRunParameter(fields)},
                                directory.path(), environment);
  EXPECT_EQ(result.exitCode, 16);
  EXPECT_NE(result.output.find("O PROGRAMA \" VRDMSG  \""), std::string::npos) << result.output;
  EXPECT_NE(result.output.find("N\xC3\x83O SE ENCONTRA INSTALADO !!!"), std::string::npos);
}

TEST_F(ConverterRunTest, MissingScreenLibraryEndsWith16AndSaysSo) {
  std::string isolated = copyOfTheConverter();
  RunResult result = runProgram(isolated + "/DUNAXMF", {buildRunParameter({})}, directory.path(),
                                {"COB_LIBRARY_PATH=" + path("nothing-here")});
  EXPECT_EQ(result.exitCode, 16);
  EXPECT_NE(result.output.find("SP2MF"), std::string::npos);
}

TEST_F(ConverterRunTest, FullDiskWhileWritingIsATransferFileErrorAndLeavesNoFile) {
  // A file-size limit of 50 KiB: writes fail with EFBIG.
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no file-size limit for a process";
#endif
  RunResult result = convertWithSizeLimit(buildRunParameter({}), 100, {"RECTEST_RECORDS=1000"});
  EXPECT_EQ(result.exitCode, 32) << result.output;
  EXPECT_FALSE(fileExists(path("dados.dat.bin")));
  EXPECT_FALSE(fileExists(path("dados.dat.bin.dunax-part")));
}

}  // namespace
}  // namespace dunax::testing

namespace dunax::testing {
namespace {

// A COBOL record-access program still loaded when the run ends at once (the message box is
// missing while the interruption question is asked): the COBOL run-time closes its file and
// the run ends with 16, not with a crash in the run-time's leftovers.
TEST_F(ConverterRunTest, RunEndingWithACobolProgramLoadedEndsCleanly) {
  std::string recidx = moduleDirectory() + "/RECIDX.so";
  if (!fileExists(recidx)) GTEST_SKIP() << "no GnuCOBOL";
  std::string records;
  for (int i = 0; i < 300; ++i) {
    char key[17];
    std::snprintf(key, sizeof key, "K%015d", i);
    records += std::string(key, 16) + std::string(1008, 'x');
  }
  ASSERT_TRUE(writeFile(path("dados.idx.bin"), records));
  RunParameterFields fields;
  fields.direction = 'X';
  fields.program = "RECIDX";
  fields.dataFile = "dados.idx";
  RunResult made = runProgram(binDirectory() + "/DUNAXMF", {buildRunParameter(fields)},
                              directory.path(), {"COB_LIBRARY_PATH=" + moduleDirectory()});
  ASSERT_EQ(made.exitCode, 0) << made.output;

  std::string isolated = path("bin");
  std::string modules = path("modules");
  ASSERT_EQ(system(("mkdir -p " + isolated + " " + modules + " && cp " + binDirectory() +
                    "/DUNAXMF " + isolated + " && cp " + recidx + " " + modules).c_str()),
            0);
  fields.direction = 'B';
  RunResult result = runProgram(
      isolated + "/DUNAXMF", {buildRunParameter(fields)}, directory.path(),
      {"COB_LIBRARY_PATH=" + libraryPath({doublesDirectory(), modules}), "SP2TEST_KEYS=4:3"});
  EXPECT_EQ(result.exitCode, 16) << result.output;
  EXPECT_NE(result.output.find("VRDMSG"), std::string::npos);
}

}  // namespace
}  // namespace dunax::testing

namespace dunax::testing {
namespace {

// Every run that does not convert its file says why in one line on standard error; a
// converted file says nothing there.
TEST_F(ConverterRunTest, EveryOutcomeButSuccessSaysWhyOnStandardError) {
  struct Case {
    char direction;
    const char* program;
    std::string transfer;
    std::vector<std::string> environment;
    std::string line;  // empty: no line at all
  };
  const Case cases[] = {
      {'B', "RECTEST", "", {"RECTEST_RECORDS=3"}, ""},
      {'B', "RECTEST", "", {"RECTEST_RECORDS=9", "RECTEST_STATUS=5:30"},
       "DUNAXMF: dados.dat: read: record 3: status 30 (a permanent input or output error)"},
      {'X', "RECTEST", transferRecords(1, 2) + "partial", {},
       "DUNAXMF: dados.dat: transfer file dados.dat.bin: read: record 3: 7 bytes left at the end, "
       "not a whole record (status 04)"},
      {'B', "NOPROG", "", {}, "DUNAXMF: dados.dat: the record-access program NOPROG cannot be found"},
      {'B', "RECTEST", "", {"RECTEST_RECORDS=1000", "SP2TEST_KEYS=4:3", "DUNAX_VRDMSG_ANSWERS=y"},
       "DUNAXMF: dados.dat: stopped by the operator"},
  };
  for (const Case& c : cases) {
    if (!c.transfer.empty()) {
      ASSERT_TRUE(writeFile(path("dados.dat.bin"), c.transfer));
    }
    RunParameterFields fields;
    fields.direction = c.direction;
    fields.program = c.program;
    RunResult result = convert(buildRunParameter(fields), c.environment);
    std::size_t at = result.output.find("DUNAXMF: ");
    if (c.line.empty()) {
      EXPECT_EQ(at, std::string::npos) << result.output;
      continue;
    }
    ASSERT_NE(at, std::string::npos) << c.line;
    EXPECT_EQ(result.output.substr(at, c.line.size()), c.line);
    EXPECT_EQ(result.output.find("DUNAXMF: ", at + 1), std::string::npos) << result.output;
  }
}

}  // namespace
}  // namespace dunax::testing
