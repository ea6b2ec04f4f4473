// Tests of RECIDX, the COBOL record-access program for indexed data files, loaded by name
// through the platform (which starts the COBOL run-time) and driven as the converter drives it.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "record_access_driver.h"

namespace dunax::records {
namespace {

using testing::makeRecord;
using testing::RecordAccessDriver;
using testing::TemporaryDirectory;

// A 1024-byte record whose 16-byte key is the number in decimal digits, then the bytes of
// makeRecord for the rest.
std::string keyedRecord(unsigned number) {
  char key[17];
  std::snprintf(key, sizeof(key), "K%015u", number);
  return std::string(key, 16) + makeRecord(number, 1024 - 16);
}

class RecidxModule : public ::testing::Test {
 protected:
  TemporaryDirectory dir;
};

TEST_F(RecidxModule, RecordsWrittenInAnyOrderComeBackInKeyOrder) {
  const std::string path = dir.file("clientes.idx");
  std::vector<unsigned> numbers;
  for (unsigned i = 0; i < 500; ++i) numbers.push_back((i * 7919u) % 500u);  // a permutation
  {
    RecordAccessDriver data("RECIDX", path);
    ASSERT_EQ(data.request("OU "), "00");
    for (unsigned n : numbers) ASSERT_EQ(data.write(keyedRecord(n)), "00") << n;
    ASSERT_EQ(data.request("CL "), "00");
  }
  ASSERT_TRUE(std::filesystem::exists(path));
  RecordAccessDriver data("RECIDX", path);
  ASSERT_EQ(data.request("TST"), "00");
  ASSERT_EQ(data.start(), "00");
  std::string record;
  for (unsigned n = 0; n < 500; ++n) {
    ASSERT_EQ(data.read(record, 1024), "00") << n;
    ASSERT_EQ(record, keyedRecord(n)) << n;
    ASSERT_EQ(std::string(reinterpret_cast<const char*>(data.block().recordArea) + 1024, 1024), std::string(1024, ' '));
  }
  EXPECT_EQ(data.read(record, 1024), "10");
  EXPECT_EQ(data.request("CL "), "00");
}

TEST_F(RecidxModule, TheAlternativeCodesWorkAsTheUsualOnes) {
  const std::string path = dir.file("alt.idx");
  RecordAccessDriver data("RECIDX", path);
  ASSERT_EQ(data.request("OU "), "00");
  ASSERT_EQ(data.write(keyedRecord(2), "AWR"), "00");
  ASSERT_EQ(data.write(keyedRecord(1), "AWR"), "00");
  ASSERT_EQ(data.request("CL "), "00");
  ASSERT_EQ(data.request("TST"), "00");
  ASSERT_EQ(data.start("AST"), "00");
  std::string record;
  ASSERT_EQ(data.read(record, 1024, "ARN"), "00");
  EXPECT_EQ(record, keyedRecord(1));
  ASSERT_EQ(data.read(record, 1024), "00");
  EXPECT_EQ(record, keyedRecord(2));
  EXPECT_EQ(data.read(record, 1024), "10");
  EXPECT_EQ(data.request("CL "), "00");
}

TEST_F(RecidxModule, EmptyFileStartsAndEndsAtTheFirstRead) {
  const std::string path = dir.file("vazio.idx");
  RecordAccessDriver data("RECIDX", path);
  ASSERT_EQ(data.request("OU "), "00");
  ASSERT_EQ(data.request("CL "), "00");
  ASSERT_EQ(data.request("TST"), "00");
  ASSERT_EQ(data.start(), "00");
  std::string record;
  EXPECT_EQ(data.read(record, 1024), "10");
  EXPECT_EQ(data.request("CL "), "00");
}

TEST_F(RecidxModule, MissingFileAnswers35) {
  RecordAccessDriver data("RECIDX", dir.file("nao-existe.idx"));
  EXPECT_EQ(data.request("TST"), "35");
  EXPECT_EQ(data.request("CL "), "42");
}

#ifndef _WIN32
// A FIFO as data file is refused by "TST" at once, never opened to wait for a writer (the
// request runs in a child that is ended, failing the case, if it waits).
TEST_F(RecidxModule, AFifoAsDataFileIsRefusedAtOnce) {
  const std::string path = dir.file("fifo.idx");
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  EXPECT_EQ(dunax::testing::runInChildWithGuard([&path] {
              RecordAccessDriver data("RECIDX", path);
              return data.request("TST") == "37" ? 0 : 1;
            }),
            0);
}

// The temporary file written in "X" is readable by no more users than the data file it
// replaces; the data file keeps its permission after the close.
TEST_F(RecidxModule, TheTemporaryFileTakesTheDataFilesPermission) {
  const std::string path = dir.file("privado.idx");
  testing::writeWholeFile(path, "original");
  ASSERT_EQ(chmod(path.c_str(), 0600), 0);
  const mode_t mask = umask(022);
  auto modeOf = [](const auto& name) { return unsigned(std::filesystem::status(name).permissions()); };
  RecordAccessDriver data("RECIDX", path);
  ASSERT_EQ(data.request("OU "), "00");
  EXPECT_EQ(modeOf(path + ".dunax-new"), 0600u);
  ASSERT_EQ(data.write(keyedRecord(2)), "00");
  ASSERT_EQ(data.request("CL "), "00");
  EXPECT_EQ(modeOf(path), 0600u);
  umask(mask);
}
#endif

// The names in dir, sorted.
std::vector<std::string> namesIn(const std::filesystem::path& directory) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(RecidxModule, DuplicateKeyAnswers22AndTheClosePublishesNothing) {
  const std::string path = dir.file("duplo.idx");
  testing::writeWholeFile(path, "original");
  RecordAccessDriver data("RECIDX", path);
  ASSERT_EQ(data.request("OU "), "00");
  ASSERT_EQ(data.write(keyedRecord(5)), "00");
  std::string other = keyedRecord(5);
  other[100] = static_cast<char>(other[100] ^ 0x55);
  EXPECT_EQ(data.write(other), "22");
  ASSERT_EQ(data.write(keyedRecord(6)), "00");
  EXPECT_EQ(data.request("CL "), "22");
  EXPECT_EQ(testing::readWholeFile(path), "original");
  EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"duplo.idx"});
}

TEST_F(RecidxModule, TheDataFileIsReplacedWholeOnlyByTheClose) {
  const std::string path = dir.file("trocar.idx");
  testing::writeWholeFile(path, "original");
  testing::writeWholeFile(path + ".dunax-new", "deixado por uma corrida morta");
  RecordAccessDriver data("RECIDX", path);
  ASSERT_EQ(data.request("OU "), "00");
  for (unsigned n = 0; n < 300; ++n) ASSERT_EQ(data.write(keyedRecord(n)), "00");
  EXPECT_EQ(testing::readWholeFile(path), "original");
  ASSERT_EQ(data.request("CL "), "00");
  EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"trocar.idx"});
  ASSERT_EQ(data.request("TST"), "00");
  std::string record;
  for (unsigned n = 0; n < 300; ++n) {
    ASSERT_EQ(data.read(record, 1024), "00") << n;
    ASSERT_EQ(record, keyedRecord(n)) << n;
  }
  EXPECT_EQ(data.read(record, 1024), "10");
  EXPECT_EQ(data.request("CL "), "00");
}

TEST_F(RecidxModule, RequestsWithoutAnOpenFileAnswer42) {
  RecordAccessDriver data("RECIDX", dir.file("fechado.idx"));
  std::string record;
  EXPECT_EQ(data.read(record, 1024), "42");
  EXPECT_EQ(data.write(keyedRecord(1)), "42");
  EXPECT_EQ(data.start(), "42");
  EXPECT_EQ(data.request("CL "), "42");
  EXPECT_FALSE(std::filesystem::exists(dir.file("fechado.idx")));
}

TEST_F(RecidxModule, WrongDirectionAnswers47And48) {
  const std::string path = dir.file("sentido.idx");
  RecordAccessDriver data("RECIDX", path);
  ASSERT_EQ(data.request("OU "), "00");
  std::string record;
  EXPECT_EQ(data.read(record, 1024), "47");
  EXPECT_EQ(data.start(), "47");
  ASSERT_EQ(data.write(keyedRecord(1)), "00");
  ASSERT_EQ(data.request("CL "), "00");
  ASSERT_EQ(data.request("TST"), "00");
  EXPECT_EQ(data.write(keyedRecord(2)), "48");
  EXPECT_EQ(data.request("OU "), "41");
  ASSERT_EQ(data.read(record, 1024), "00");
  EXPECT_EQ(record, keyedRecord(1));
  EXPECT_EQ(data.read(record, 1024), "10");
  ASSERT_EQ(data.request("CL "), "00");
}

TEST_F(RecidxModule, StartAfterReadsBeginsAgainAtTheLowestKey) {
  const std::string path = dir.file("rever.idx");
  RecordAccessDriver data("RECIDX", path);
  ASSERT_EQ(data.request("OU "), "00");
  for (unsigned n : {30u, 10u, 20u}) ASSERT_EQ(data.write(keyedRecord(n)), "00");
  ASSERT_EQ(data.request("CL "), "00");
  ASSERT_EQ(data.request("TST"), "00");
  std::string record;
  ASSERT_EQ(data.read(record, 1024), "00");
  ASSERT_EQ(data.read(record, 1024), "00");
  EXPECT_EQ(record, keyedRecord(20));
  ASSERT_EQ(data.start(), "00");
  ASSERT_EQ(data.read(record, 1024), "00");
  EXPECT_EQ(record, keyedRecord(10));
  EXPECT_EQ(data.request("CL "), "00");
}

TEST_F(RecidxModule, UnknownCodeAnswers90) {
  RecordAccessDriver data("RECIDX", dir.file("x.idx"));
  EXPECT_EQ(data.request("DEL"), "90");
}

TEST_F(RecidxModule, NameEndsAtTheFirstSpaceAndBackslashesSeparate) {
  std::filesystem::create_directory(dir.path() / "dados");
  const std::string name = (dir.path() / "dados").string() + "\\cli.idx resto";
  RecordAccessDriver data("RECIDX", name);
  ASSERT_EQ(data.request("OU "), "00");
  ASSERT_EQ(data.write(keyedRecord(1)), "00");
  ASSERT_EQ(data.request("CL "), "00");
  EXPECT_TRUE(std::filesystem::exists(dir.file("dados/cli.idx")));
}

TEST_F(RecidxModule, ReleasedAfterCloseAndLoadedAfreshForTheNextFile) {
  const std::string first = dir.file("um.idx");
  const std::string second = dir.file("dois.idx");
  {
    RecordAccessDriver data("RECIDX", first);
    ASSERT_EQ(data.request("OU "), "00");
    ASSERT_EQ(data.write(keyedRecord(1)), "00");
    ASSERT_EQ(data.request("CL "), "00");
    EXPECT_FALSE(data.program().isLoaded());
  }
  RecordAccessDriver data("RECIDX", second);
  ASSERT_EQ(data.request("OU "), "00");
  ASSERT_EQ(data.write(keyedRecord(2)), "00");
  ASSERT_EQ(data.request("CL "), "00");
  RecordAccessDriver again("RECIDX", first);
  ASSERT_EQ(again.request("TST"), "00");
  std::string record;
  ASSERT_EQ(again.read(record, 1024), "00");
  EXPECT_EQ(record, keyedRecord(1));
  EXPECT_EQ(again.read(record, 1024), "10");
  EXPECT_EQ(again.request("CL "), "00");
}

TEST_F(RecidxModule, ModuleIsReallyUnloadedAfterClose) {
  testing::expectModuleUnloadedAfterClose("RECIDX", dir.file("carga.dat"));
}

}  // namespace
}  // namespace dunax::records
