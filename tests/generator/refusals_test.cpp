// What dunaxgen refuses: a description it cannot use, a name the converter cannot call, a
// record that cannot travel in a transfer record, an output folder it cannot write. Each gets a
// clear message, a non-zero exit, and nothing is left in the output folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "generator_test_support.h"

namespace dunax::generator::testing {
namespace {

namespace fs = std::filesystem;
using ::dunax::testing::TemporaryDirectory;
using ::dunax::testing::writeFile;

constexpr char kSelect[] =
    "           SELECT CLIENTES ASSIGN TO \"clientes.dat\"\n"
    "               ORGANIZATION IS INDEXED\n"
    "               RECORD KEY IS CLI-CODIGO\n"
    "               FILE STATUS IS WS-ESTADO.\n";
constexpr char kFd[] =
    "       FD  CLIENTES.\n"
    "       01  CLI-REGISTO.\n"
    "           05  CLI-CODIGO        PIC 9(6).\n"
    "           05  CLI-NOME          PIC X(30).\n";

struct Refusal {
  const char* label;
  std::string description;
  const char* expected;  // what the message must say
  const char* name = "CLI";
  const char* output = "";  // the output folder; empty for the test's own
};

const Refusal kRefusals[] = {
    {"cobc finds a syntax error, shown at the description's line",
     std::string(kSelect) + kFd + "           05  CLI-NOTAS         PIC X(10) OCURS 3.\n",
     "desc.cpy:9: error: syntax error"},
    {"two SELECT entries", std::string(kSelect) + kSelect + kFd, "line 5: a second SELECT"},
    {"no FD", kSelect, "line 1: no FD entry after the SELECT"},
    {"no record in the FD", std::string(kSelect) + "       FD  CLIENTES.\n", "has no record description"},
    {"a key that names no field",
     "           SELECT CLIENTES ASSIGN TO \"c\" INDEXED\n"
     "               RECORD KEY IS CLI-CODIGO\n"
     "               ALTERNATE RECORD KEY IS CLI-MORADA.\n" + std::string(kFd),
     "line 3: the key CLI-MORADA names no field of the record description"},
    {"a clause the SELECT cannot have",
     "           SELECT CLIENTES ASSIGN TO \"c\" SORTED BY CLI-CODIGO.\n" + std::string(kFd),
     "line 1: \"SORTED\" is not understood in the SELECT entry"},
    {"a record longer than a transfer record",
     std::string(kSelect) + kFd + "           05  CLI-NOTAS         PIC X(100) OCCURS 10.\n",
     "line 6: the record CLI-REGISTO is 1036 bytes, longer than the 1024 bytes"},
    {"records of varying length that do not say their length, without --trim",
     "           SELECT NOTAS ASSIGN TO \"n\".\n"
     "       FD  NOTAS RECORD VARYING FROM 12 TO 300 DEPENDING ON WS-TAM.\n"
     "       01  NOTA-REGISTO            PIC X(300).\n",
     "line 2: nothing in the records of NOTAS says how long each one is: give --trim", "NOTAS"},
    {"01 records of different sizes", std::string(kSelect) + kFd + "       01  CLI-CURTO             PIC X(10).\n",
     "line 5: the 01 records of CLIENTES differ in size"},
    {"a name of nine characters", std::string(kSelect) + kFd, "must be 1 to 8 letters and digits", "CLIENTES1"},
    {"a name that is no COBOL name", std::string(kSelect) + kFd, "must be 1 to 8 letters and digits", "CLI-1"},
    {"an output folder that does not exist", std::string(kSelect) + kFd,
     "the output folder /nonexistent/dunax does not exist", "CLI", "/nonexistent/dunax"},
    {"an output folder that cannot be written", std::string(kSelect) + kFd,
     "the output folder /proc cannot be written", "CLI", "/proc"},
};

TEST(DunaxgenRefuses, EveryBadInputWithAMessageAndNothingLeftBehind) {
  for (const Refusal& refusal : kRefusals) {
    SCOPED_TRACE(refusal.label);
    TemporaryDirectory dir;
    fs::create_directory(dir.file("saida"));
    ASSERT_TRUE(writeFile(dir.file("desc.cpy"), refusal.description));
    const std::string output = refusal.output[0] != '\0' ? refusal.output : dir.file("saida");
    RunResult run = runTool("dunaxgen", {"--output", output, refusal.name, "desc.cpy"}, dir.path());
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find(refusal.expected), std::string::npos) << run.output;
    EXPECT_TRUE(fs::is_empty(dir.file("saida"))) << "something was left in the output folder";
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
  }
}

TEST(DunaxgenRefuses, SaysPlainlyThatCobcIsMissing) {
  TemporaryDirectory dir;
  ASSERT_TRUE(writeFile(dir.file("desc.cpy"), std::string(kSelect) + kFd));
  RunResult run = runTool("dunaxgen", {"CLI", "desc.cpy"}, dir.path(), {"PATH=" + dir.path()});
  EXPECT_EQ(run.exitCode, 1) << run.output;
  EXPECT_NE(run.output.find("cobc (GnuCOBOL) is not installed"), std::string::npos) << run.output;
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(DunaxgenRefuses, AWrongCommandLineWithExitCode2) {
  TemporaryDirectory dir;
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"CLI"}, {"--output"}, {"--bogus", "CLI", "d.cpy"}}) {
    RunResult run = runTool("dunaxgen", arguments, dir.path());
    EXPECT_EQ(run.exitCode, 2) << run.output;
    EXPECT_NE(run.output.find("see dunaxgen --help"), std::string::npos) << run.output;
  }
}

}  // namespace
}  // namespace dunax::generator::testing
