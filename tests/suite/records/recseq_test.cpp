// Tests of RECSEQ: its plain functions, and the module loaded by name and driven through the
// request block as the converter drives it, checking what lands on disk byte for byte.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <csignal>
#include <cstring>
#include <filesystem>
#include <string>

#include "record_access_driver.h"
#include "suite/records/sequential_access.h"

namespace dunax::records {
namespace {

using testing::makeRecord;
using testing::readWholeFile;
using testing::RecordAccessDriver;
using testing::TemporaryDirectory;
using testing::writeWholeFile;

std::size_t lengthOf(const std::string& field) {
  std::string padded = field;
  padded.resize(10, ' ');
  return parseRecordLength(padded.data(), padded.size());
}

TEST(RecordLength, ReadsTheDecimalNumberWithSpacesAround) {
  EXPECT_EQ(lengthOf("80"), 80u);
  EXPECT_EQ(lengthOf("0000000080"), 80u);
  EXPECT_EQ(lengthOf("      80  "), 80u);
  EXPECT_EQ(lengthOf("1"), 1u);
  EXPECT_EQ(lengthOf("1024"), 1024u);
}

TEST(RecordLength, BlankMeansTheLongestRecord) {
  EXPECT_EQ(lengthOf(""), 1024u);
  char zeros[10] = {};
  EXPECT_EQ(parseRecordLength(zeros, sizeof(zeros)), 1024u);
}

TEST(RecordLength, AnythingElseIsRefused) {
  EXPECT_EQ(lengthOf("0"), 0u);
  EXPECT_EQ(lengthOf("0000000000"), 0u);
  EXPECT_EQ(lengthOf("1025"), 0u);
  EXPECT_EQ(lengthOf("9999999999"), 0u);
  EXPECT_EQ(lengthOf("8O"), 0u);
  EXPECT_EQ(lengthOf("1 0"), 0u);
  EXPECT_EQ(lengthOf("-5"), 0u);
}

TEST(FileName, EndsAtTheFirstSpaceAndTurnsBackslashes) {
  char out[51];
  const char field[] = "dados\\cli.dat resto                               ";
  EXPECT_EQ(extractFileName(field, 50, out), 13u);
  EXPECT_STREQ(out, "dados/cli.dat");
  std::string blank(50, ' ');
  EXPECT_EQ(extractFileName(blank.data(), 50, out), 0u);
  EXPECT_STREQ(out, "");
  std::string full(50, 'a');
  EXPECT_EQ(extractFileName(full.data(), 50, out), 50u);
  EXPECT_EQ(std::string(out), full);
}

TEST(RequestCode, NamesEveryCodeTheConverterIssues) {
  EXPECT_EQ(parseRequest("TST"), Request::OpenInput);
  EXPECT_EQ(parseRequest("ST "), Request::Start);
  EXPECT_EQ(parseRequest("AST"), Request::Start);
  EXPECT_EQ(parseRequest("RN "), Request::ReadNext);
  EXPECT_EQ(parseRequest("ARN"), Request::ReadNext);
  EXPECT_EQ(parseRequest("OU "), Request::OpenOutput);
  EXPECT_EQ(parseRequest("WR "), Request::Write);
  EXPECT_EQ(parseRequest("AWR"), Request::Write);
  EXPECT_EQ(parseRequest("CL "), Request::Close);
  EXPECT_EQ(parseRequest("RN\0"), Request::Unknown);
  EXPECT_EQ(parseRequest("XX "), Request::Unknown);
}

class RecseqModule : public ::testing::Test {
 protected:
  TemporaryDirectory dir;
};

TEST_F(RecseqModule, WritesRecordsAndReadsThemBackByteForByte) {
  const std::string path = dir.file("clientes.dat");
  const std::size_t count = 3000;
  {
    RecordAccessDriver data("RECSEQ", path, "80");
    ASSERT_EQ(data.request("OU "), "00");
    for (std::size_t i = 0; i < count; ++i) ASSERT_EQ(data.write(makeRecord(i, 80)), "00");
    ASSERT_EQ(data.request("CL "), "00");
  }
  std::string expected;
  for (std::size_t i = 0; i < count; ++i) expected += makeRecord(i, 80);
  EXPECT_EQ(readWholeFile(path), expected);

  RecordAccessDriver data("RECSEQ", path, "80");
  ASSERT_EQ(data.request("TST"), "00");
  ASSERT_EQ(data.start(), "00");
  std::string record;
  for (std::size_t i = 0; i < count; ++i) {
    ASSERT_EQ(data.read(record, 80), "00") << "record " << i;
    ASSERT_EQ(record, makeRecord(i, 80)) << "record " << i;
    ASSERT_EQ(std::string(reinterpret_cast<const char*>(data.block().recordArea) + 80, 2048 - 80), std::string(2048 - 80, ' '));
  }
  EXPECT_EQ(data.read(record, 80), "10");
  EXPECT_EQ(data.request("CL "), "00");
}

TEST_F(RecseqModule, TheAlternativeCodesWorkAsTheUsualOnes) {
  const std::string path = dir.file("ordem.dat");
  RecordAccessDriver data("RECSEQ", path, "16");
  ASSERT_EQ(data.request("OU "), "00");
  ASSERT_EQ(data.write("primeiro........", "AWR"), "00");
  ASSERT_EQ(data.write("segundo.........", "AWR"), "00");
  ASSERT_EQ(data.request("CL "), "00");
  EXPECT_EQ(readWholeFile(path), "primeiro........segundo.........");
  ASSERT_EQ(data.request("TST"), "00");
  ASSERT_EQ(data.start("AST"), "00");
  std::string record;
  EXPECT_EQ(data.read(record, 16, "ARN"), "00");
  EXPECT_EQ(record, "primeiro........");
  EXPECT_EQ(data.read(record, 16), "00");
  EXPECT_EQ(record, "segundo.........");
  EXPECT_EQ(data.read(record, 16), "10");
  EXPECT_EQ(data.request("CL "), "00");
}

TEST_F(RecseqModule, BlankFieldBMeans1024ByteRecords) {
  const std::string path = dir.file("longo.dat");
  RecordAccessDriver data("RECSEQ", path, "");
  ASSERT_EQ(data.request("OU "), "00");
  ASSERT_EQ(data.write(makeRecord(1, 1024)), "00");
  ASSERT_EQ(data.write(makeRecord(2, 1024)), "00");
  ASSERT_EQ(data.request("CL "), "00");
  EXPECT_EQ(readWholeFile(path), makeRecord(1, 1024) + makeRecord(2, 1024));
  ASSERT_EQ(data.request("TST"), "00");
  std::string record;
  ASSERT_EQ(data.read(record, 1024), "00");
  EXPECT_EQ(record, makeRecord(1, 1024));
  EXPECT_EQ(data.request("CL "), "00");
}

TEST_F(RecseqModule, ZeroPaddedAndOneByteLengths) {
  const std::string path = dir.file("um.dat");
  RecordAccessDriver one("RECSEQ", path, "0000000001");
  ASSERT_EQ(one.request("OU "), "00");
  ASSERT_EQ(one.write("A"), "00");
  ASSERT_EQ(one.write("B"), "00");
  ASSERT_EQ(one.request("CL "), "00");
  EXPECT_EQ(readWholeFile(path), "AB");
}

TEST_F(RecseqModule, EmptyFileEndsAtTheFirstRead) {
  const std::string path = dir.file("vazio.dat");
  RecordAccessDriver data("RECSEQ", path, "80");
  ASSERT_EQ(data.request("OU "), "00");
  ASSERT_EQ(data.request("CL "), "00");
  ASSERT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(std::filesystem::file_size(path), 0u);
  ASSERT_EQ(data.request("TST"), "00");
  ASSERT_EQ(data.start(), "00");
  std::string record;
  EXPECT_EQ(data.read(record, 80), "10");
  EXPECT_EQ(data.request("CL "), "00");
}

TEST_F(RecseqModule, OutputEmptiesAnExistingFile) {
  const std::string path = dir.file("velho.dat");
  writeWholeFile(path, std::string(500, 'x'));
  RecordAccessDriver data("RECSEQ", path, "10");
  ASSERT_EQ(data.request("OU "), "00");
  ASSERT_EQ(data.write("0123456789"), "00");
  ASSERT_EQ(data.request("CL "), "00");
  EXPECT_EQ(readWholeFile(path), "0123456789");
}

TEST_F(RecseqModule, MissingFileAnswers35AndCloseThen42) {
  RecordAccessDriver data("RECSEQ", dir.file("nao-existe.dat"), "80");
  EXPECT_EQ(data.request("TST"), "35");
  EXPECT_EQ(data.request("CL "), "42");
}

TEST_F(RecseqModule, BlankNameAnswers35ForReadingAnd30ForWriting) {
  RecordAccessDriver data("RECSEQ", "", "80");
  EXPECT_EQ(data.request("TST"), "35");
  EXPECT_EQ(data.request("OU "), "30");
}

TEST_F(RecseqModule, TrailingPartialRecordIsAnErrorNotAPaddedRecord) {
  const std::string path = dir.file("partido.dat");
  writeWholeFile(path, makeRecord(0, 100) + makeRecord(1, 100) + makeRecord(2, 40));
  RecordAccessDriver data("RECSEQ", path, "100");
  ASSERT_EQ(data.request("TST"), "00");
  ASSERT_EQ(data.start(), "00");
  std::string record;
  ASSERT_EQ(data.read(record, 100), "00");
  EXPECT_EQ(record, makeRecord(0, 100));
  ASSERT_EQ(data.read(record, 100), "00");
  EXPECT_EQ(record, makeRecord(1, 100));
  EXPECT_EQ(data.read(record, 100), "30");
  // Why, in the words the converter shows beside the status.
  const char* words = reinterpret_cast<const char*>(data.block().recordArea) + 1024;
  EXPECT_EQ(std::string(words, 56), "MOTIVO:40 bytes left at the end, not a whole record     ");
  EXPECT_EQ(data.read(record, 100), "46");
  EXPECT_EQ(data.request("CL "), "00");
}

TEST_F(RecseqModule, RecordLengthFromFieldBSplitsTheFileDifferently) {
  const std::string path = dir.file("texto.dat");
  writeWholeFile(path, "AAAABBBBCCCCDDDD");
  std::string record;
  RecordAccessDriver byFour("RECSEQ", path, "4");
  ASSERT_EQ(byFour.request("TST"), "00");
  for (char c : std::string("ABCD")) {
    ASSERT_EQ(byFour.read(record, 4), "00");
    EXPECT_EQ(record, std::string(4, c));
  }
  EXPECT_EQ(byFour.read(record, 4), "10");
  ASSERT_EQ(byFour.request("CL "), "00");

  RecordAccessDriver byEight("RECSEQ", path, "8");
  ASSERT_EQ(byEight.request("TST"), "00");
  ASSERT_EQ(byEight.read(record, 8), "00");
  EXPECT_EQ(record, "AAAABBBB");
  ASSERT_EQ(byEight.read(record, 8), "00");
  EXPECT_EQ(record, "CCCCDDDD");
  EXPECT_EQ(byEight.read(record, 8), "10");
  ASSERT_EQ(byEight.request("CL "), "00");
}

TEST_F(RecseqModule, BadRecordLengthAnswers39AndCreatesNothing) {
  const std::string path = dir.file("mau.dat");
  for (const char* field : {"0", "1025", "12A", "1 2", "-1"}) {
    RecordAccessDriver data("RECSEQ", path, field);
    EXPECT_EQ(data.request("OU "), "39") << field;
    EXPECT_EQ(data.request("TST"), "39") << field;
    EXPECT_EQ(data.request("CL "), "42") << field;
  }
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(RecseqModule, RequestsWithoutAnOpenFileAnswer42) {
  RecordAccessDriver data("RECSEQ", dir.file("fechado.dat"), "10");
  std::string record;
  EXPECT_EQ(data.read(record, 10), "42");
  EXPECT_EQ(data.write("0123456789"), "42");
  EXPECT_EQ(data.start(), "42");
  EXPECT_EQ(data.request("CL "), "42");
  EXPECT_FALSE(std::filesystem::exists(dir.file("fechado.dat")));
}

TEST_F(RecseqModule, WrongDirectionAnswers47And48) {
  const std::string path = dir.file("sentido.dat");
  RecordAccessDriver data("RECSEQ", path, "10");
  ASSERT_EQ(data.request("OU "), "00");
  std::string record;
  EXPECT_EQ(data.read(record, 10), "47");
  EXPECT_EQ(data.start(), "47");
  ASSERT_EQ(data.write("0123456789"), "00");
  ASSERT_EQ(data.request("CL "), "00");
  ASSERT_EQ(data.request("TST"), "00");
  EXPECT_EQ(data.write("abcdefghij"), "48");
  ASSERT_EQ(data.read(record, 10), "00");
  EXPECT_EQ(record, "0123456789");
  ASSERT_EQ(data.request("CL "), "00");
  EXPECT_EQ(readWholeFile(path), "0123456789");
}

TEST_F(RecseqModule, SecondOpenAnswers41AndKeepsTheFirst) {
  const std::string path = dir.file("duplo.dat");
  writeWholeFile(path, "abcdef");
  RecordAccessDriver data("RECSEQ", path, "3");
  ASSERT_EQ(data.request("TST"), "00");
  EXPECT_EQ(data.request("TST"), "41");
  EXPECT_EQ(data.request("OU "), "41");
  std::string record;
  ASSERT_EQ(data.read(record, 3), "00");
  EXPECT_EQ(record, "abc");
  ASSERT_EQ(data.request("CL "), "00");
  EXPECT_EQ(readWholeFile(path), "abcdef");
}

TEST_F(RecseqModule, StartAfterReadsBeginsAgainAtTheFirstRecord) {
  const std::string path = dir.file("rever.dat");
  writeWholeFile(path, "111222333");
  RecordAccessDriver data("RECSEQ", path, "3");
  ASSERT_EQ(data.request("TST"), "00");
  std::string record;
  ASSERT_EQ(data.read(record, 3), "00");
  ASSERT_EQ(data.read(record, 3), "00");
  EXPECT_EQ(record, "222");
  ASSERT_EQ(data.start(), "00");
  ASSERT_EQ(data.read(record, 3), "00");
  EXPECT_EQ(record, "111");
  ASSERT_EQ(data.read(record, 3), "00");
  ASSERT_EQ(data.read(record, 3), "00");
  EXPECT_EQ(data.read(record, 3), "10");
  ASSERT_EQ(data.start(), "00");
  ASSERT_EQ(data.read(record, 3), "00");
  EXPECT_EQ(record, "111");
  EXPECT_EQ(data.request("CL "), "00");
}

TEST_F(RecseqModule, UnknownCodeAnswers90) {
  RecordAccessDriver data("RECSEQ", dir.file("x.dat"), "3");
  EXPECT_EQ(data.request("DEL"), "90");
}

TEST_F(RecseqModule, BackslashesInTheNameAreDirectorySeparators) {
#ifdef _WIN32
  GTEST_SKIP() << "the temporary folder's name alone fills the 50-byte name field there";
#endif
  std::filesystem::create_directory(dir.path() / "dados");
  const std::string name = (dir.path() / "dados").string() + "\\cli.dat";
  RecordAccessDriver data("RECSEQ", name, "2");
  ASSERT_EQ(data.request("OU "), "00");
  ASSERT_EQ(data.write("ok"), "00");
  ASSERT_EQ(data.request("CL "), "00");
  EXPECT_EQ(readWholeFile(dir.file("dados/cli.dat")), "ok");
}

TEST_F(RecseqModule, NameEndsAtTheFirstSpace) {
  const std::string path = dir.file("curto.dat");
  RecordAccessDriver data("RECSEQ", path + " resto", "2");
  ASSERT_EQ(data.request("OU "), "00");
  ASSERT_EQ(data.write("ok"), "00");
  ASSERT_EQ(data.request("CL "), "00");
  EXPECT_EQ(readWholeFile(path), "ok");
}

#ifndef _WIN32  // a size limit, a killed process and a symbolic link: POSIX hosts
// A file-size limit of 64 KiB for this process, with SIGXFSZ ignored so that a write past it
// fails with EFBIG; both are restored at the end of the scope.
class FileSizeLimit {
 public:
  FileSizeLimit() {
    getrlimit(RLIMIT_FSIZE, &saved_);
    savedHandler_ = signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = 64 * 1024;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    signal(SIGXFSZ, savedHandler_);
  }

 private:
  rlimit saved_{};
  void (*savedHandler_)(int) = SIG_DFL;
};

TEST_F(RecseqModule, NoRoomAnswers34AndLeavesTheDataFileAsItWas) {
  // 100 records stay buffered until the close; 2000 overflow the buffer at a write.
  for (int records : {100, 2000}) {
    const std::string path = dir.file("cheio.dat");
    const std::string original = makeRecord(7, 3000);
    writeWholeFile(path, original);
    RecordAccessDriver data("RECSEQ", path, "1024");
    std::string firstFailure = "00";
    std::string closeStatus;
    {
      FileSizeLimit limit;
      ASSERT_EQ(data.request("OU "), "00");
      for (int i = 0; i < records && firstFailure == "00"; ++i) {
        firstFailure = data.write(makeRecord(i, 1024));
      }
      closeStatus = data.request("CL ");
    }
    EXPECT_EQ(closeStatus, "34") << records;
    EXPECT_EQ(firstFailure == "00" ? closeStatus : firstFailure, "34") << records;
    EXPECT_EQ(readWholeFile(path), original) << records;
    EXPECT_FALSE(std::filesystem::exists(path + ".dunax-new")) << records;
    EXPECT_FALSE(data.program().isLoaded());
  }
}

#endif

TEST_F(RecseqModule, TheDataFileIsReplacedWholeOnlyByTheClose) {
  const std::string path = dir.file("trocar.dat");
  writeWholeFile(path, std::string(500, 'x'));
  RecordAccessDriver data("RECSEQ", path, "100");
  ASSERT_EQ(data.request("OU "), "00");
  for (int i = 0; i < 20000; ++i) ASSERT_EQ(data.write(makeRecord(i, 100)), "00");
  EXPECT_EQ(readWholeFile(path), std::string(500, 'x'));
  ASSERT_EQ(data.request("CL "), "00");
  std::string expected;
  for (int i = 0; i < 20000; ++i) expected += makeRecord(i, 100);
  EXPECT_EQ(readWholeFile(path), expected);
  EXPECT_FALSE(std::filesystem::exists(path + ".dunax-new"));
}

#ifndef _WIN32
TEST_F(RecseqModule, AKilledRunLeavesTheDataFileAndTheNextOpenClearsWhatItLeft) {
  const std::string path = dir.file("morto.dat");
  writeWholeFile(path, "original");
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    RecordAccessDriver data("RECSEQ", path, "100");
    if (data.request("OU ") != "00") _exit(1);
    for (int i = 0; i < 20000; ++i) data.write(makeRecord(i, 100));
    raise(SIGKILL);
    _exit(2);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(readWholeFile(path), "original");
  ASSERT_TRUE(std::filesystem::exists(path + ".dunax-new"));
  RecordAccessDriver data("RECSEQ", path, "8");
  ASSERT_EQ(data.request("TST"), "00");
  EXPECT_FALSE(std::filesystem::exists(path + ".dunax-new"));
  ASSERT_EQ(data.request("CL "), "00");
}

#endif

TEST_F(RecseqModule, OnlySpacesOrZeroBytesMayFollowTheRecordLength) {
  struct Case {
    std::size_t position;  // of the one byte set past the 80-byte record, 0 for none
    char value;
    const char* status;
  };
  for (const Case& c : {Case{0, ' ', "00"}, Case{80, '\0', "00"}, Case{1023, '\0', "00"},
                        Case{80, 'x', "44"}, Case{1023, '\xFF', "44"}}) {
    const std::string path = dir.file("longos.dat");
    writeWholeFile(path, "original");
    RecordAccessDriver data("RECSEQ", path, "80");
    ASSERT_EQ(data.request("OU "), "00");
    std::memset(data.block().recordArea, ' ', sizeof(data.block().recordArea));
    std::memcpy(data.block().recordArea, makeRecord(3, 80).data(), 80);
    std::memset(data.block().recordArea + 500, '\0', 100);
    if (c.position != 0) data.block().recordArea[c.position] = c.value;
    EXPECT_EQ(data.request("WR "), c.status) << c.position;
    EXPECT_EQ(data.request("CL "), c.status) << c.position;
    EXPECT_EQ(readWholeFile(path), std::string(c.status) == "00" ? makeRecord(3, 80) : "original")
        << c.position;
    EXPECT_FALSE(std::filesystem::exists(path + ".dunax-new"));
  }
}

#ifndef _WIN32
TEST_F(RecseqModule, ADataFileThatIsNotARegularFileIsNotReplaced) {
  const std::string target = dir.file("alvo.dat");
  const std::string link = dir.file("ligacao.dat");
  writeWholeFile(target, "alvo");
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
  RecordAccessDriver data("RECSEQ", link, "2");
  EXPECT_EQ(data.request("OU "), "37");
  const char* words = reinterpret_cast<const char*>(data.block().recordArea) + 1024;
  EXPECT_EQ(std::string(words, 40), "MOTIVO:a symbolic link is not replaced  ");
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(readWholeFile(target), "alvo");
}

// The temporary file written in "X" is readable by no more users than the data file it
// replaces, from its creation on; the data file keeps its permission after the close.
TEST_F(RecseqModule, TheTemporaryFileTakesTheDataFilesPermission) {
  const std::string path = dir.file("privado.dat");
  writeWholeFile(path, "antigo");
  ASSERT_EQ(chmod(path.c_str(), 0600), 0);
  const mode_t mask = umask(022);
  auto modeOf = [](const auto& name) { return unsigned(std::filesystem::status(name).permissions()); };
  RecordAccessDriver data("RECSEQ", path, "2");
  ASSERT_EQ(data.request("OU "), "00");
  EXPECT_EQ(modeOf(path + ".dunax-new"), 0600u);
  ASSERT_EQ(data.write("ab"), "00");
  ASSERT_EQ(data.request("CL "), "00");
  EXPECT_EQ(modeOf(path), 0600u);
  umask(mask);
}

#endif

TEST_F(RecseqModule, DirectoryAsDataFileAnswers37) {
  RecordAccessDriver data("RECSEQ", dir.path().string(), "2");
  EXPECT_EQ(data.request("TST"), "37");
  EXPECT_EQ(data.request("CL "), "42");
}

TEST_F(RecseqModule, ModuleIsReleasedAfterCloseAndLoadsAgain) {
  const std::string path = dir.file("ciclo.dat");
  RecordAccessDriver data("RECSEQ", path, "4");
  ASSERT_EQ(data.request("OU "), "00");
  EXPECT_TRUE(data.program().isLoaded());
  ASSERT_EQ(data.write("abcd"), "00");
  ASSERT_EQ(data.request("CL "), "00");
  EXPECT_FALSE(data.program().isLoaded());
  ASSERT_EQ(data.request("TST"), "00");
  std::string record;
  ASSERT_EQ(data.read(record, 4), "00");
  EXPECT_EQ(record, "abcd");
  ASSERT_EQ(data.request("CL "), "00");
}

TEST_F(RecseqModule, ModuleIsReallyUnloadedAfterClose) {
  testing::expectModuleUnloadedAfterClose("RECSEQ", dir.file("carga.dat"));
}

}  // namespace
}  // namespace dunax::records
