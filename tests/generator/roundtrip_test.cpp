// End-to-end tests of the programs dunaxgen makes: for each organisation a program made from a
// description, a data file written by a COBOL program of the test's own from the same
// description, converted "B" and "X" by the real DUNAXMF (with dunaxrm between, as the RM/COBOL
// side) and compared byte for byte; then what a failed or killed "X" leaves.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "generator_test_support.h"

namespace dunax::generator::testing {
namespace {

namespace fs = std::filesystem;
using ::dunax::testing::fileExists;
using ::dunax::testing::readFile;
using ::dunax::testing::TemporaryDirectory;
using ::dunax::testing::writeFile;

constexpr std::size_t kRecords = 60;

struct OrganisationCase {
  const char *program, *select, *fd, *file, *record;  // the program's name; the description's
  std::size_t length;     // SELECT, FD, file and 01 record; the record's length
  bool textLines;         // line sequential: printable records, trailing spaces not kept
  std::size_t altKey, keyLength, altLength;  // indexed: the first alternate key's offset (0: none),
                                             // the primary key's length (at 0), the alternate's
  const char* option = "";   // dunaxgen's option, if any
  const char* prepare = "";  // the writer's statement before each WRITE (variable length)
};

const OrganisationCase kCases[] = {
    {"GSEQ",
     "           SELECT MOVIMENTOS ASSIGN TO \"dados.dat\"\n"
     "               FILE STATUS IS WS-ESTADO.\n",
     "       FD  MOVIMENTOS\n"
     "           LABEL RECORDS ARE STANDARD.\n"
     "       01  MOV-REGISTO.\n"
     "           05  MOV-CONTA           PIC X(20).\n"
     "           05  MOV-VALOR           PIC S9(7) COMP-3.\n"
     "           05  MOV-RESTO.\n"
     "               10  MOV-DIA         PIC 9(2) OCCURS 3 TIMES.\n"
     "               10  MOV-TEXTO       PIC X(20).\n"
     "       01  MOV-OUTRO REDEFINES MOV-REGISTO PIC X(50).\n",
     "MOVIMENTOS", "MOV-REGISTO", 50, false, 0, 0, 0},
    {"GLIN",  // in free format
     "SELECT NOTAS ASSIGN TO \"dados.dat\" *> the notes, one a line\n"
     "    ORGANIZATION IS LINE SEQUENTIAL FILE STATUS IS WS-ESTADO.\n",
     "FD NOTAS.\n"
     "*> A line of up to 40 characters.\n"
     "01 NOTA-LINHA PIC X(40).\n",
     "NOTAS", "NOTA-LINHA", 40, true, 0, 0, 0, "--free"},
    {"GREL",
     "           SELECT ARTIGOS ASSIGN TO \"dados.dat\"\n"
     "               ORGANIZATION IS RELATIVE\n"
     "               ACCESS MODE IS RANDOM\n"
     "               RELATIVE KEY IS WS-CHAVE\n"
     "               FILE STATUS IS WS-ESTADO.\n",
     "       FD  ARTIGOS.\n"
     "       01  ART-REGISTO.\n"
     "           05  ART-NUMERO          PIC 9(4).\n"
     "           05  ART-NOME            PIC X(26).\n",
     "ARTIGOS", "ART-REGISTO", 30, false, 0, 0, 0, "",
     "                   MOVE IN-REGISTO(1:4) TO WS-CHAVE\n"},
    {"GIDX",
     "      * Clientes: indexed, a primary and an alternate key\n"
     "           SELECT CLIENTES ASSIGN TO \"dados.dat\"\n"
     "               ORGANIZATION IS INDEXED\n"
     "               ACCESS MODE IS DYNAMIC\n"
     "               RECORD KEY IS CLI-CODIGO\n"
     "               ALTERNATE RECORD KEY IS CLI-NOME WITH DUPLICATES\n"
     "               FILE STATUS IS WS-ESTADO.\n",
     "       FD  CLIENTES.\n"
     "       01  CLI-REGISTO.\n"
     "           05  CLI-CODIGO          PIC 9(6).\n"
     "           05  CLI-NOME            PIC X(30).\n"
     "           05  CLI-SALDO           PIC S9(9)V99 COMP-3.\n"
     "           05  CLI-ANO             PIC 9(4) COMP.\n"
     "           05  FILLER              PIC X(4).\n"
     "           05  CLI-NOTAS           PIC X(10) OCCURS 3.\n"
     "               88  CLI-SEM-NOTAS   VALUE SPACES.\n",
     "CLIENTES", "CLI-REGISTO", 78, false, 6, 6, 30},
    {"GVAR",
     "           SELECT PEDIDOS ASSIGN TO \"dados.dat\" STATUS WS-ESTADO.\n",
     "       FD  PEDIDOS.\n"
     "       01  PED-REGISTO.\n"
     "           05  PED-NUMERO          PIC 9(6).\n"
     "           05  PED-LINHAS          PIC 99.\n"
     "           05  PED-LINHA  OCCURS 1 TO 12 DEPENDING ON PED-LINHAS.\n"
     "               10  PED-ARTIGO      PIC X(8).\n"
     "               10  PED-QTD         PIC S9(5) COMP-3.\n",
     "PEDIDOS", "PED-REGISTO", 140, false, 0, 0, 0, "",
     "                   MOVE IN-REGISTO(7:2) TO PED-LINHAS\n"},
    {"GTRIM",
     "           SELECT NOTAS ASSIGN TO \"dados.dat\"\n"
     "               FILE STATUS IS WS-ESTADO.\n",
     "       FD  NOTAS\n"
     "           RECORD VARYING FROM 12 TO 300 DEPENDING ON WS-TAM.\n"
     "       01  NOTA-REGISTO            PIC X(300).\n",
     "NOTAS", "NOTA-REGISTO", 300, true, 0, 0, 0, "--trim",
     "                   MOVE FUNCTION LENGTH(FUNCTION TRIM(IN-REGISTO\n"
     "                       TRAILING)) TO WS-TAM\n"},
};

// The records the test's writer puts in the data file, in the order written. Keys (relative
// record numbers, primary and alternate keys) are digits and letters; the other bytes are
// every byte value (printable ones for a line sequential file).
std::vector<std::string> recordsOf(const OrganisationCase& c) {
  std::vector<std::string> records;
  for (std::size_t n = 0; n < kRecords; ++n) {
    std::string record(c.length, ' ');
    for (std::size_t i = 0; i < c.length; ++i) {
      unsigned value = static_cast<unsigned>(n * 7 + i * 13 + 5);
      record[i] = c.textLines ? static_cast<char>('!' + value % 90) : static_cast<char>(value & 0xFF);
    }
    const std::string program = c.program;
    const std::size_t lines = n % 12 + 1;  // GVAR: 1 to 12 lines of 11 bytes after the 8-byte head
    char head[16];
    if (program == "GLIN") record.resize(n % 30 + 5);
    if (program == "GTRIM") record.resize(12 + (n * 47) % 288);
    if (program == "GVAR") record.resize(8 + 11 * lines);
    std::snprintf(head, sizeof(head), "%02zu", lines);
    if (program == "GVAR") record.replace(6, 2, head);
    std::snprintf(head, sizeof(head), c.keyLength > 0 ? "%06zu" : "%04zu",
                  c.keyLength > 0 ? (n * 37) % kRecords + 100 : n + 1);
    if (program == "GREL" || c.keyLength > 0) record.replace(0, std::strlen(head), head);
    record.resize(c.length, ' ');
    for (std::size_t i = 0; i < c.altLength; ++i) {  // 8 letters, 2 that tell the record, spaces
      const std::size_t letter = i < 8 ? (n * 11 + i * 3) % 26 : i == 8 ? n % 26 : n / 26;
      record[c.altKey + i] = i < 10 ? static_cast<char>('A' + letter) : ' ';
    }
    records.push_back(record);
  }
  return records;
}

// The COBOL program that writes the records of records.in into the data file, with the
// description's own SELECT and FD.
std::string writerSource(const OrganisationCase& c) {
  const char* line = "\n       ";  // a new line of fixed format, at area A
  return std::string("       IDENTIFICATION DIVISION.") + line + "PROGRAM-ID. ESCRITOR." + line +
         "ENVIRONMENT DIVISION." + line + "INPUT-OUTPUT SECTION." + line + "FILE-CONTROL." + line +
         "    SELECT ENTRADA ASSIGN TO \"records.in\".\n" + c.select + "       DATA DIVISION." + line +
         "FILE SECTION." + line + "FD  ENTRADA." + line + "01  IN-REGISTO PIC X(" +
         std::to_string(c.length) + ").\n" + c.fd + "       WORKING-STORAGE SECTION." + line +
         "01  WS-ESTADO PIC XX." + line + "01  WS-CHAVE  PIC 9(9)." + line +
         "01  WS-TAM    PIC 9(9) COMP-5." + line + "01  WS-FIM    PIC X VALUE \"N\"." + line +
         "PROCEDURE DIVISION.\n"
         "           OPEN INPUT ENTRADA OUTPUT " + c.file + "\n"
         "           PERFORM UNTIL WS-FIM = \"S\"\n"
         "               READ ENTRADA AT END MOVE \"S\" TO WS-FIM NOT AT END\n" + c.prepare +
         "                   WRITE " + c.record + " FROM IN-REGISTO\n"
         "                   IF WS-ESTADO NOT = \"00\" DISPLAY WS-ESTADO END-IF\n"
         "               END-READ END-PERFORM\n"
         "           CLOSE ENTRADA " + c.file + " STOP RUN.\n";
}

// The transfer file direction "B" gives for records in that order.
std::string transferOf(std::vector<std::string> records, std::size_t keyOffset, std::size_t keyLength) {
  if (keyLength > 0) {
    std::stable_sort(records.begin(), records.end(), [&](const std::string& a, const std::string& b) {
      return a.compare(keyOffset, keyLength, b, keyOffset, keyLength) < 0;
    });
  }
  std::string transfer;
  for (const std::string& record : records) transfer += record + std::string(1024 - record.size(), ' ');
  return transfer;
}

// The names in directory, sorted.
std::vector<std::string> namesIn(const std::string& directory) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(directory)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// The programs of the table, each made once (when a test first needs it) in a directory that
// the tests share, and a directory of each test's own where the test's writer has put the
// records of the case into dados.dat.
class GeneratedPrograms : public ::testing::TestWithParam<OrganisationCase> {
 protected:
  static void SetUpTestSuite() { programs_ = std::make_unique<TemporaryDirectory>(); }
  static void TearDownTestSuite() { programs_.reset(); }
  void SetUp() override {
    makeProgram(GetParam());
    if (!HasFatalFailure()) writeDataFile(GetParam(), recordsOf(GetParam()));
  }

  // Makes the program of c from its description, once.
  static void makeProgram(const OrganisationCase& c) {
    if (fileExists(programs_->file(std::string(c.program) + ".so"))) return;
    const std::string description = programs_->file(std::string(c.program) + ".cpy");
    ASSERT_TRUE(writeFile(description, std::string(c.select) + c.fd));
    std::vector<std::string> arguments = {"--output", programs_->path(), c.program, description};
    if (c.option[0] != '\0') arguments.insert(arguments.begin(), c.option);
    RunResult made = runTool("dunaxgen", arguments, programs_->path());
    ASSERT_EQ(made.exitCode, 0) << made.output;
  }

  // Writes records into dir/dados.dat with the test's own writer, compiled the first time.
  void writeDataFile(const OrganisationCase& c, const std::vector<std::string>& records) {
    std::string in;
    for (const std::string& record : records) in += record;
    ASSERT_TRUE(writeFile(dir.file("records.in"), in));
    if (!fileExists(dir.file("escritor"))) {
      ASSERT_TRUE(writeFile(dir.file("escritor.cob"), writerSource(c)));
      std::vector<std::string> cobc = {"cobc", "-x", "-o", "escritor", "escritor.cob"};
      if (std::string(c.option) == "--free") cobc.insert(cobc.begin() + 1, "-free");
      RunResult compiled = runProgram("/usr/bin/env", cobc, dir.path(), {}, 120);
      ASSERT_EQ(compiled.exitCode, 0) << compiled.output;
    }
    RunResult written = runProgram(dir.file("escritor"), {}, dir.path(), {});
    ASSERT_EQ(written.exitCode, 0) << written.output;
    ASSERT_EQ(written.output, "");
  }

  // Runs DUNAXMF on file of dir with the made programs. Returns its result.
  RunResult convert(char direction, const char* program, const std::string& file, char keyOption = ' ') {
    return runTool("DUNAXMF", {runParameter(direction, program, file, keyOption)}, dir.path(),
                   {"COB_LIBRARY_PATH=" + programs_->path(), "LC_ALL=C.UTF-8"});
  }

  static std::unique_ptr<TemporaryDirectory> programs_;
  TemporaryDirectory dir;
};

std::unique_ptr<TemporaryDirectory> GeneratedPrograms::programs_;

TEST_P(GeneratedPrograms, DataFileGoesThroughBothDirectionsByteForByte) {
  const OrganisationCase& c = GetParam();
  const bool indexed = c.keyLength > 0;
  ASSERT_TRUE(fileExists(programs_->file(std::string(c.program) + ".cob")));
  const std::vector<std::string> records = recordsOf(c);
  const std::string original = readFile(dir.file("dados.dat"));

  RunResult exported = convert('B', c.program, "dados.dat");
  ASSERT_EQ(exported.exitCode, 0) << exported.output;
  const std::string transfer = readFile(dir.file("dados.dat.bin"));
  EXPECT_TRUE(transfer == transferOf(records, 0, c.keyLength)) << "the transfer records of " << c.program;

  ASSERT_EQ(runTool("dunaxrm", {"dados.dat.bin", "copia.dat.bin"}, dir.path()).exitCode, 0);
  // An earlier copy is replaced, every file of it, and keeps its permission bits.
  const fs::perms mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  std::vector<std::string> earlier = {"copia.dat"};
  if (indexed) earlier.push_back("copia.dat.1");
  for (const std::string& name : earlier) {
    ASSERT_TRUE(writeFile(dir.file(name), "an earlier copy"));
    fs::permissions(dir.file(name), mode);
  }
  RunResult imported = convert('X', c.program, "copia.dat");
  ASSERT_EQ(imported.exitCode, 0) << imported.output;
  for (const std::string& name : earlier) EXPECT_EQ(fs::status(dir.file(name)).permissions(), mode) << name;
  // Indexed: the copy is two files, read back in the order of each key.
  for (char keyOption : indexed ? std::string(" O") : std::string()) {
    ASSERT_EQ(convert('B', c.program, "copia.dat", keyOption).exitCode, 0);
    ASSERT_EQ(convert('B', c.program, "dados.dat", keyOption).exitCode, 0);
    std::string expected = keyOption == 'O' ? transferOf(records, c.altKey, c.altLength) : transfer;
    EXPECT_TRUE(readFile(dir.file("copia.dat.bin")) == expected) << "key option " << keyOption;
    EXPECT_TRUE(readFile(dir.file("dados.dat.bin")) == expected) << "key option " << keyOption;
  }
  if (!indexed) {
    EXPECT_TRUE(readFile(dir.file("copia.dat")) == original) << "the data file made by " << c.program;
  }
  std::vector<std::string> names = {"copia.dat", "copia.dat.bin", "dados.dat", "dados.dat.bin",
                                    "escritor", "escritor.cob", "records.in"};
  if (indexed) names.insert(names.end(), {"copia.dat.1", "dados.dat.1"});
  std::sort(names.begin(), names.end());
  EXPECT_EQ(namesIn(dir.path()), names) << "no temporary file is left";
}

// A case's test name: its program's name.
std::string programNameOf(const ::testing::TestParamInfo<OrganisationCase>& param) {
  return param.param.program;
}
void PrintTo(const OrganisationCase& c, std::ostream* out) { *out << c.program; }

INSTANTIATE_TEST_SUITE_P(EveryOrganisation, GeneratedPrograms, ::testing::ValuesIn(kCases),
                         programNameOf);

// What an "X" that fails or is killed leaves: the earlier data file, every file of it byte for
// byte; and what the next open does with the files such a run left behind.
class DataSafety : public GeneratedPrograms {};

TEST_P(DataSafety, AFailedOrKilledImportLeavesEveryFileOfTheDataFile) {
  const OrganisationCase& c = GetParam();
  const bool indexed = c.keyLength > 0;
  std::vector<std::string> files = {"dados.dat"};
  if (indexed) files.push_back("dados.dat.1");
  auto contents = [&] {  // every file of the data file, one after the other
    std::string all;
    for (const std::string& f : files) all += readFile(dir.file(f)) + '\n';
    return all;
  };
  const std::string before = contents();
  ASSERT_EQ(convert('B', c.program, "dados.dat").exitCode, 0);
  const std::string transfer = readFile(dir.file("dados.dat.bin"));

  // A transfer file the program refuses half-way: a duplicate primary key (indexed), a byte
  // past the record length that is neither a space nor a zero byte (sequential).
  std::string bad = transfer;
  if (indexed) bad.replace(20 * 1024, c.keyLength, transfer.substr(3 * 1024, c.keyLength));
  else bad[20 * 1024 + c.length + 3] = 'x';
  ASSERT_TRUE(writeFile(dir.file("dados.dat.bin"), bad));
  EXPECT_NE(convert('X', c.program, "dados.dat").exitCode, 0);
  EXPECT_TRUE(contents() == before) << "the data file was changed";

  // What a killed run leaves before it publishes: the new files, a companion already staged.
  std::vector<std::string> leftovers = {"dados.dat.dunax-new"};
  if (indexed) leftovers.insert(leftovers.end(), {"dados.dat.dunax-new.1", "dados.dat.1.dunax-ready"});
  for (const std::string& left : leftovers) ASSERT_TRUE(writeFile(dir.file(left), "left by a killed run"));
  ASSERT_EQ(convert('B', c.program, "dados.dat").exitCode, 0);
  EXPECT_TRUE(readFile(dir.file("dados.dat.bin")) == transfer);
  EXPECT_TRUE(contents() == before);
  files.insert(files.end(), {"dados.dat.bin", "escritor", "escritor.cob", "records.in"});
  std::sort(files.begin(), files.end());
  EXPECT_EQ(namesIn(dir.path()), files) << "the leftovers are removed";
  if (!indexed) return;

  // A run killed after every new file was staged: the next open puts the whole new set in place.
  ASSERT_TRUE(writeFile(dir.file("novo.dat.bin"), transfer.substr(0, 5 * 1024)));
  ASSERT_EQ(convert('X', c.program, "novo.dat").exitCode, 0);
  fs::rename(dir.file("novo.dat"), dir.file("dados.dat.dunax-ready"));
  fs::rename(dir.file("novo.dat.1"), dir.file("dados.dat.1.dunax-ready"));
  ASSERT_EQ(convert('B', c.program, "dados.dat", 'O').exitCode, 0);
  ASSERT_EQ(convert('B', c.program, "novo.dat").exitCode, 32) << "novo.dat is gone";
  ASSERT_EQ(convert('B', c.program, "dados.dat").exitCode, 0);
  EXPECT_TRUE(readFile(dir.file("dados.dat.bin")) == transfer.substr(0, 5 * 1024));
  EXPECT_FALSE(fileExists(dir.file("dados.dat.dunax-ready")));
  EXPECT_FALSE(fileExists(dir.file("dados.dat.1.dunax-ready")));
}

// A data file that its description does not fit is refused in "B" with a failing status: a
// relative file whose record numbers have a gap (they could not be kept through a transfer
// file, and the reason is said), a fixed-length file that ends in a partial record.
class MismatchedFiles : public GeneratedPrograms {};

TEST_P(MismatchedFiles, AreRefusedInTheExport) {
  const OrganisationCase& c = GetParam();
  const bool relative = std::string(c.program) == "GREL";
  std::vector<std::string> records = recordsOf(c);
  records.resize(3);
  if (relative) records[2].replace(0, 4, "0004");  // records 1, 2 and 4: slot 3 is empty
  writeDataFile(c, records);
  if (!relative) {
    ASSERT_TRUE(writeFile(dir.file("dados.dat"), readFile(dir.file("dados.dat")) + "partial"));
  }
  RunResult exported = convert('B', c.program, "dados.dat");
  EXPECT_EQ(exported.exitCode, 32) << exported.output;
  const std::string reason = relative ? "record 000000003 of the relative file is empty" : "";
  EXPECT_NE(exported.output.find(reason), std::string::npos) << exported.output;
}

INSTANTIATE_TEST_SUITE_P(RelativeAndSequential, MismatchedFiles, ::testing::Values(kCases[2], kCases[0]),
                         programNameOf);

INSTANTIATE_TEST_SUITE_P(SequentialAndIndexed, DataSafety, ::testing::Values(kCases[0], kCases[3]),
                         programNameOf);

}  // namespace
}  // namespace dunax::generator::testing
