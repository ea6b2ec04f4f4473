// End-to-end: a data file goes through the whole path and comes back unchanged. DUNAXMF "B"
// reads it through a record-access program into a transfer file, dunaxrm (the RM/COBOL side)
// copies that transfer file, and DUNAXMF "X" writes a new data file from the copy. Sequential
// files must come back byte for byte; indexed files record for record.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/child_process.h"
#include "record_access_driver.h"

namespace dunax::records {
namespace {

using testing::buildDirectory;
using testing::makeRecord;
using dunax::testing::padded;
using testing::readWholeFile;
using testing::RecordAccessDriver;
using testing::TemporaryDirectory;
using testing::writeWholeFile;

// The converter's 121-character run parameter for one file, the first of one.
std::string runParameter(char direction, const std::string& program, const std::string& fieldB,
                         const std::string& dataFile, char keyOption = ' ',
                         const std::string& segments = "00") {
  std::string p(121, ' ');
  p[0] = direction;
  p.replace(9, 8, padded(program, 8));
  p.replace(20, 10, padded(fieldB, 10));
  p.replace(30, 50, padded(dataFile, 50));
  p[91] = keyOption;
  p.replace(92, 8, "00000001");
  p.replace(100, 8, "00000001");
  p.replace(108, 9, "000000000");
  p.replace(117, 2, segments);
  p[120] = 'N';
  return p;
}

// Runs a program of the build with no controlling terminal, in the current directory.
// Returns its exit code, or -1 when it did not exit normally.
int runWithoutTerminal(const std::string& program, const std::vector<std::string>& arguments) {
  std::vector<std::string> all = {"setsid", "-w", program};
  all.insert(all.end(), arguments.begin(), arguments.end());
  platform::Expected<platform::ChildProcess> child =
      platform::startChildProcess("/usr/bin/setsid", all);
  if (!child) {
    ADD_FAILURE() << "could not start " << program << ": " << child.status().message();
    return -1;
  }
  platform::Expected<platform::ChildEnd> end = platform::waitForChild(*child);
  return end && end->exited ? end->exitCode : -1;
}

int runConverter(const std::string& parameter) {
  return runWithoutTerminal(buildDirectory() + "/bin/DUNAXMF", {parameter});
}

int runRmSide(const std::string& in, const std::string& out) {
  return runWithoutTerminal(buildDirectory() + "/bin/dunaxrm", {in, out});
}

// Every test runs in a fresh directory of its own, with the modules of the build on
// COB_LIBRARY_PATH and no scripted dialog answers.
class RoundTrip : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("COB_LIBRARY_PATH", (buildDirectory() + "/lib/dunax").c_str(), 1);
    unsetenv("DUNAX_VRDMSG_ANSWERS");
    setenv("LC_ALL", "C.UTF-8", 1);  // names on disk in UTF-8, whatever the locale of the run
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.path());
  }
  void TearDown() override { std::filesystem::current_path(previous_); }

 private:
  TemporaryDirectory dir_;
  std::filesystem::path previous_;
};

TEST_F(RoundTrip, SequentialFileComesBackByteForByte) {
  const std::size_t count = 2500;
  std::string data;
  for (std::size_t i = 0; i < count; ++i) data += makeRecord(i, 80);
  writeWholeFile("clientes.dat", data);

  ASSERT_EQ(runConverter(runParameter('B', "RECSEQ", "80", "clientes.dat")), 0);
  std::string transfer = readWholeFile("clientes.dat.bin");
  ASSERT_EQ(transfer.size(), count * 1024);
  EXPECT_EQ(transfer.substr(0, 80), makeRecord(0, 80));
  EXPECT_EQ(transfer.substr(1024 * (count - 1), 80), makeRecord(count - 1, 80));

  ASSERT_EQ(runRmSide("clientes.dat.bin", "copia.dat.bin"), 0);
  ASSERT_EQ(runConverter(runParameter('X', "RECSEQ", "80", "copia.dat")), 0);
  EXPECT_EQ(readWholeFile("copia.dat"), data);
}

TEST_F(RoundTrip, AccentedNamesAreWindows1252InTheParameterAndUtf8OnDisk) {
  std::string data;
  for (std::size_t i = 0; i < 30; ++i) data += makeRecord(i, 80);
  writeWholeFile("a\xC3\xA7\xC3\xA3o.dat", data);  // "ação.dat"
  ASSERT_EQ(runConverter(runParameter('B', "RECSEQ", "80", "a\xE7\xE3o.dat")), 0);
  EXPECT_EQ(readWholeFile("a\xC3\xA7\xC3\xA3o.dat.bin").size(), 30u * 1024u);

  ASSERT_EQ(runRmSide("a\xC3\xA7\xC3\xA3o.dat.bin", "c\xC3\xB3pia.dat.bin"), 0);  // "cópia"
  ASSERT_EQ(runConverter(runParameter('X', "RECSEQ", "80", "c\xF3pia.dat")), 0);
  EXPECT_EQ(readWholeFile("c\xC3\xB3pia.dat"), data);
  for (const auto& entry : std::filesystem::directory_iterator(".")) {
    std::string name = entry.path().filename().string();
    EXPECT_TRUE(name.find('\xE7') == std::string::npos && name.find('\xF3') == std::string::npos)
        << "a Windows-1252 name reached the disk: " << name;
  }
}

TEST_F(RoundTrip, EmptySequentialFileComesBackEmpty) {
  writeWholeFile("vazio.dat", "");
  ASSERT_EQ(runConverter(runParameter('B', "RECSEQ", "", "vazio.dat")), 0);
  EXPECT_EQ(std::filesystem::file_size("vazio.dat.bin"), 0u);
  ASSERT_EQ(runRmSide("vazio.dat.bin", "copia.dat.bin"), 0);
  writeWholeFile("copia.dat", "lixo de uma corrida anterior");
  ASSERT_EQ(runConverter(runParameter('X', "RECSEQ", "", "copia.dat")), 0);
  ASSERT_TRUE(std::filesystem::exists("copia.dat"));
  EXPECT_EQ(std::filesystem::file_size("copia.dat"), 0u);
}

TEST_F(RoundTrip, LongestSequentialRecordsComeBackByteForByte) {
  std::string data;
  for (std::size_t i = 0; i < 300; ++i) data += makeRecord(i, 1024);
  writeWholeFile("longo.dat", data);
  ASSERT_EQ(runConverter(runParameter('B', "RECSEQ", "1024", "longo.dat")), 0);
  EXPECT_EQ(readWholeFile("longo.dat.bin"), data);
  ASSERT_EQ(runRmSide("longo.dat.bin", "copia.dat.bin"), 0);
  ASSERT_EQ(runConverter(runParameter('X', "RECSEQ", "1024", "copia.dat")), 0);
  EXPECT_EQ(readWholeFile("copia.dat"), data);
}

TEST_F(RoundTrip, MissingSequentialFileGivesTheFileUp) {
  EXPECT_EQ(runConverter(runParameter('B', "RECSEQ", "80", "nao-existe.dat")), 32);
}

// A 1024-byte record keyed by its first 16 bytes, as RECIDX lays it out.
std::string keyedRecord(unsigned number) {
  char key[17];
  std::snprintf(key, sizeof(key), "C%015u", number);
  return std::string(key, 16) + makeRecord(number, 1024 - 16);
}

// Writes an indexed file through RECIDX with the records in the order given.
void writeIndexedFile(const std::string& name, const std::vector<unsigned>& numbers) {
  RecordAccessDriver data("RECIDX", name);
  ASSERT_EQ(data.request("OU "), "00");
  for (unsigned n : numbers) ASSERT_EQ(data.write(keyedRecord(n)), "00");
  ASSERT_EQ(data.request("CL "), "00");
}

// Reads an indexed file through RECIDX: its records in key order.
std::vector<std::string> readIndexedFile(const std::string& name) {
  std::vector<std::string> records;
  RecordAccessDriver data("RECIDX", name);
  EXPECT_EQ(data.request("TST"), "00");
  std::string record;
  while (data.read(record, 1024) == "00") records.push_back(record);
  EXPECT_EQ(data.request("CL "), "00");
  return records;
}

void roundTripIndexed(char keyOption) {
  std::vector<unsigned> numbers;
  for (unsigned i = 0; i < 700; ++i) numbers.push_back((i * 389u) % 700u);
  writeIndexedFile("contas.idx", numbers);

  ASSERT_EQ(runConverter(runParameter('B', "RECIDX", "", "contas.idx", keyOption)), 0);
  std::string transfer = readWholeFile("contas.idx.bin");
  ASSERT_EQ(transfer.size(), 700u * 1024u);
  for (unsigned n = 0; n < 700; ++n) {
    ASSERT_EQ(transfer.substr(n * 1024u, 1024), keyedRecord(n)) << "transfer record " << n;
  }

  ASSERT_EQ(runRmSide("contas.idx.bin", "copia.idx.bin"), 0);
  ASSERT_EQ(runConverter(runParameter('X', "RECIDX", "", "copia.idx", keyOption)), 0);
  EXPECT_EQ(readIndexedFile("copia.idx"), readIndexedFile("contas.idx"));

  // Converted again, the copy gives the same transfer file as the original.
  ASSERT_EQ(runConverter(runParameter('B', "RECIDX", "", "copia.idx", keyOption)), 0);
  EXPECT_EQ(readWholeFile("copia.idx.bin"), transfer);
}

TEST_F(RoundTrip, IndexedFileComesBackRecordForRecord) { roundTripIndexed(' '); }

TEST_F(RoundTrip, IndexedFileWithTheAlternativeCodesComesBackRecordForRecord) {
  roundTripIndexed('O');
}

TEST_F(RoundTrip, IndexedFilesAreOpenedUnderTheirUtf8Names) {
  writeIndexedFile("\xE1rvore.idx", {2, 1});  // "árvore.idx" in the request block
  EXPECT_TRUE(std::filesystem::exists("\xC3\xA1rvore.idx"));
  EXPECT_EQ(readIndexedFile("\xE1rvore.idx"),
            (std::vector<std::string>{keyedRecord(1), keyedRecord(2)}));
}

}  // namespace
}  // namespace dunax::records
