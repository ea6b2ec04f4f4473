// The command handlers on a real temporary directory: what lands on disk, the error flag and
// the arguments of the reply.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <vector>

#include "executor/commands.h"
#include "executor/literals.h"
#include "platform/host_path.h"
#include "requests.h"

namespace dunax::executor {
namespace {

using testing::argument1Of;
using testing::argument2Of;
using testing::makeJob;
using testing::padded;
using testing::readFile;
using testing::ScopedVariable;
using testing::writeFile;
namespace fs = std::filesystem;

// The host directory as a network name: /tmp/dunax-exec-X becomes \\tmp\dunax-exec-X, so
// that the name taken as the host's own path would land in the test's directory too.
std::string networkNameOf(const fs::path& directory) {
  std::string network = "\\" + directory.string();
  for (char& c : network) {
    if (c == '/') c = '\\';
  }
  return network;
}

// Every file and directory under root, relative to it, one per line, sorted.
std::string treeOf(const fs::path& root) {
  std::vector<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    names.push_back(fs::relative(entry.path(), root).string());
  }
  std::sort(names.begin(), names.end());
  std::string tree;
  for (const std::string& name : names) tree += name + "\n";
  return tree;
}

class Commands : public testing::TempDirectoryTest {
 protected:
  Job run(const std::string& verb, const std::string& argument1 = "",
          const std::string& argument2 = "") {
    Job job = makeJob(verb, argument1, argument2);
    dispatchVerb(job);
    return job;
  }
};

// ---- MKDIR

TEST_F(Commands, MakeDirectoryCreatesEveryLevel) {
  fs::create_directory("A");
  Job job = run("MKDIR", "A\\B\\C");
  EXPECT_FALSE(job.failed());
  EXPECT_TRUE(fs::is_directory("A/B/C"));
  EXPECT_EQ(std::string(16, '0'), argument1Of(job).substr(0, 16));
  EXPECT_NE("0000", argument1Of(job).substr(20, 4));
}

TEST_F(Commands, MakeDirectoryStopsAtAFileInTheWay) {
  writeFile("A/B", "not a directory");
  Job job = run("MKDIR", "A\\B\\C");
  EXPECT_TRUE(job.failed());
  EXPECT_FALSE(fs::exists("A/B/C"));
  EXPECT_EQ("0000000000000015", argument1Of(job).substr(0, 16));
}

TEST_F(Commands, MakeDirectoryBlankOrOnlyParentStepsFails) {
  EXPECT_TRUE(run("MKDIR", "").failed());
  EXPECT_TRUE(run("MKDIR", "..\\..\\").failed());
  EXPECT_TRUE(run("MKDIR", "C:\\").failed());
}

TEST_F(Commands, MakeDirectorySkipsParentSteps) {
  fs::create_directory("W");
  fs::current_path("W");
  Job job = run("mkdir", "..\\X");
  EXPECT_FALSE(job.failed());
  EXPECT_TRUE(fs::is_directory("../X"));
  EXPECT_FALSE(fs::exists("X"));
}

TEST_F(Commands, MakeDirectoryThroughAParentInTheMiddle) {
  Job job = run("MKDIR", "A\\..\\B");
  EXPECT_FALSE(job.failed());
  EXPECT_TRUE(fs::is_directory("A"));
  EXPECT_TRUE(fs::is_directory("B"));
}

TEST_F(Commands, MakeDirectoryAcceptsATrailingSeparatorAndDotStart) {
  EXPECT_FALSE(run("MKDIR", ".\\A\\").failed());
  EXPECT_TRUE(fs::is_directory("A"));
}

TEST_F(Commands, MakeDirectoryKeepsThePrefixBeyondTheLayout) {
  const std::string path = "A234567890123456789012345678901234567890";
  Job job = run("MKDIR", path);
  EXPECT_FALSE(job.failed());
  EXPECT_EQ(padded(path.substr(30), 50), argument1Of(job).substr(30));
}

TEST_F(Commands, MakeDirectoryOnANetworkPathIsNotChecked) {
  ScopedVariable networkRoot(platform::kNetworkRootVariable, "/");
  const std::string network = networkNameOf(root());  // "\\tmp\dunax-test-...\N1\N2" mapped
  Job job = run("MKDIR", network + "\\N1\\N2");
  EXPECT_FALSE(job.failed());
  EXPECT_TRUE(fs::is_directory("N1/N2"));
  EXPECT_EQ(padded(network + "\\N1\\N2"), argument1Of(job));  // the last prefix
}

TEST_F(Commands, MakeDirectoryOnANetworkPathLandsUnderTheNetworkRoot) {
  const std::string network = networkNameOf(root()) + "\\dir";
  {
    ScopedVariable unmapped(platform::kNetworkRootVariable, nullptr);
    EXPECT_TRUE(run("MKDIR", network).failed());
    EXPECT_TRUE(fs::is_empty(root()));
  }
  fs::create_directory("net");
  ScopedVariable mapped(platform::kNetworkRootVariable, (root() / "net").c_str());
  EXPECT_FALSE(run("MKDIR", network).failed());
  EXPECT_TRUE(fs::is_directory(root() / "net" / root().relative_path() / "dir"));
  EXPECT_FALSE(fs::exists("dir"));
}

// ---- drive letters

TEST_F(Commands, NamesWithoutTheirMappingOrClimbingOutTouchNothing) {
  ScopedVariable drives(platform::kDrivesVariable, ("C=" + (root() / "c").string()).c_str());
  ScopedVariable networkRoot(platform::kNetworkRootVariable, nullptr);
  // What each request would reach were its drive taken as a plain directory name.
  writeFile("Z:/D/F.DAT", "data");
  fs::create_directories("Z:/E");
  writeFile("c/D/F.DAT", "data");
  const std::string before = treeOf(root());
  struct Request {
    const char* verb;
    const char* argument1;
    const char* argument2;
  };
  const Request requests[] = {
      {"MKDIR", "Z:\\NEW", ""},
      {"MKDIR", "C:..\\ESCAPE", ""},
      {"RMDIR", "Z:\\E", ""},
      {"COPY ", "Z:\\D\\F.DAT", "G.DAT"},
      {"COPY ", "C:\\D\\F.DAT", "Z:\\E"},
      {"COPY ", "C:\\D\\F.DAT", "C:\\..\\G.DAT"},
      {"DEL  ", "Z:\\D\\F.DAT", ""},
      {"APAGA", "Z:\\D\\*.DAT", ""},
      {"REN  ", "Z:\\D\\F.DAT", "Z:\\D\\H.DAT"},
      {"DIR  ", "Z:\\LIST.TXT", ""},
      {"EXECU", "echo x > RAN.TXT", "Z:\\E"},
  };
  for (const Request& request : requests) {
    EXPECT_TRUE(run(request.verb, request.argument1, request.argument2).failed())
        << request.verb << " " << request.argument1 << " " << request.argument2;
    EXPECT_EQ(before, treeOf(root())) << request.verb << " " << request.argument1;
  }
}

TEST_F(Commands, VerbsOnAMappedDriveWorkInItsDirectory) {
  ScopedVariable drives(platform::kDrivesVariable, ("c=" + (root() / "c").string()).c_str());
  writeFile("c/D/F.DAT", "data");
  EXPECT_FALSE(run("MKDIR", "C:\\A\\B").failed());
  EXPECT_FALSE(run("COPY ", "C:D\\*.DAT", "c:\\A\\B").failed());
  EXPECT_FALSE(run("REN  ", "C:\\A\\B\\F.DAT", "C:\\A\\G.DAT").failed());
  EXPECT_FALSE(run("DEL  ", "C:\\D\\F.DAT").failed());
  EXPECT_FALSE(run("RMDIR", "C:\\A\\B").failed());
  EXPECT_EQ("c\nc/A\nc/A/G.DAT\nc/D\n", treeOf(root()));
  EXPECT_EQ("data", readFile("c/A/G.DAT"));
}

// ---- RMDIR, CDDIR

TEST_F(Commands, RemoveDirectory) {
  fs::create_directory("E");
  Job job = run("RMDIR", "E");
  EXPECT_FALSE(job.failed());
  EXPECT_FALSE(fs::exists("E"));
  EXPECT_EQ(std::string(30, '0'), argument1Of(job).substr(0, 30));
}

TEST_F(Commands, RemoveDirectoryNotEmptyOrBlankFails) {
  writeFile("F/x", "1");
  EXPECT_TRUE(run("rmdir", "F").failed());
  EXPECT_TRUE(fs::exists("F/x"));
  EXPECT_TRUE(run("RMDIR", "").failed());
}

TEST_F(Commands, ReportCurrentDirectory) {
  Job job = run("CDDIR");
  EXPECT_FALSE(job.failed());
  EXPECT_EQ(padded(fs::current_path().string()), argument1Of(job));
}

TEST_F(Commands, ReportCurrentDirectoryInWindows1252) {
  ScopedVariable locale("LC_ALL", "pt_BR.UTF-8");
  fs::create_directory("A\xC3\xA7\xC3\xA3o");
  fs::current_path("A\xC3\xA7\xC3\xA3o");
  EXPECT_EQ(padded(root().string() + "/A\xE7\xE3o"), argument1Of(run("CDDIR")));
}

TEST_F(Commands, ReportCurrentDirectoryTooLongFails) {
  std::string deep(70, 'd');
  fs::create_directories(deep + "/" + deep);
  fs::current_path(deep + "/" + deep);
  Job job = run("CDDIR");
  EXPECT_TRUE(job.failed());
  EXPECT_EQ(padded(""), argument1Of(job));
}

// ---- COPY

TEST_F(Commands, CopyOneFileToANewName) {
  writeFile("D/F.DAT", "data");
  Job job = run("COPY ", "D\\F.DAT", "G.DAT");
  EXPECT_FALSE(job.failed());
  EXPECT_EQ("data", readFile("G.DAT"));
  EXPECT_EQ(padded("D\\F.DAT"), argument1Of(job));
  EXPECT_EQ(padded("G.DAT"), argument2Of(job));
}

TEST_F(Commands, CopyWithBlankDestinationGoesIntoTheCurrentDirectory) {
  writeFile("D/F.DAT", "data");
  Job job = run("COPIA", "D\\F.DAT");
  EXPECT_FALSE(job.failed());
  EXPECT_EQ("data", readFile("F.DAT"));
  EXPECT_EQ(padded("."), argument2Of(job));
}

TEST_F(Commands, CopyIntoADirectoryKeepsTheName) {
  writeFile("D/F.DAT", "data");
  fs::create_directory("E");
  EXPECT_FALSE(run("copy ", "D\\F.DAT", "E").failed());
  EXPECT_EQ("data", readFile("E/F.DAT"));
}

TEST_F(Commands, CopyOfAMissingFileFails) {
  EXPECT_TRUE(run("COPY ", "NONE.DAT", "X.DAT").failed());
  EXPECT_FALSE(fs::exists("X.DAT"));
}

TEST_F(Commands, CopyOfADirectoryIntoADirectoryFails) {
  fs::create_directories("D/SUB");
  fs::create_directory("E");
  EXPECT_TRUE(run("COPY ", "D\\", "E").failed());
}

TEST_F(Commands, CopyWhoseTargetWouldBeCutFails) {
  writeFile("D/" + std::string(40, 'F'), "data");
  std::string destination(45, 'E');
  fs::create_directory(destination);
  EXPECT_TRUE(run("COPY ", "D\\" + std::string(40, 'F'), destination).failed());
  EXPECT_TRUE(fs::is_empty(destination));
}

TEST_F(Commands, PatternCopyIntoADirectorySkipsEmptyFiles) {
  writeFile("D/A.DAT", "a");
  writeFile("D/B.DAT", "bb");
  writeFile("D/EMPTY.DAT", "");
  writeFile("D/C.TXT", "c");
  fs::create_directory("E");
  Job job = run("COPY ", "D\\*.DAT", "E");
  EXPECT_FALSE(job.failed());
  EXPECT_EQ("a", readFile("E/A.DAT"));
  EXPECT_EQ("bb", readFile("E/B.DAT"));
  EXPECT_FALSE(fs::exists("E/EMPTY.DAT"));
  EXPECT_FALSE(fs::exists("E/C.TXT"));
  EXPECT_EQ(padded("D\\*.DAT"), argument1Of(job));
}

TEST_F(Commands, PatternCopyWithOnlyEmptyMatchesFails) {
  writeFile("D/A.DAT", "");
  fs::create_directory("E");
  EXPECT_TRUE(run("COPY ", "D\\*.DAT", "E").failed());
  EXPECT_TRUE(fs::is_empty("E"));
}

TEST_F(Commands, PatternCopyOverlaysByCharacterPosition) {
  writeFile("D/CLIENTES.DAT", "c");
  writeFile("D/ABC.DAT", "a");
  fs::create_directory("E");
  EXPECT_FALSE(run("COPY ", "D\\*.DAT", "E\\????????.BAK").failed());
  EXPECT_EQ("c", readFile("E/CLIENTES.BAK"));
  EXPECT_EQ("a", readFile("E/ABC.DAT"));
  EXPECT_EQ(2, std::distance(fs::directory_iterator("E"), fs::directory_iterator()));
}

TEST_F(Commands, PatternCopyOverlayKeepsTheTail) {
  writeFile("D/ABC.DAT", "a");
  fs::create_directory("E");
  EXPECT_FALSE(run("COPY ", "D\\ABC.*", "E\\X?.OLD").failed());
  EXPECT_EQ("a", readFile("E/XB.OLDT"));
}

TEST_F(Commands, PatternCopyStarKeepsNames) {
  writeFile("D/ABC.DAT", "a");
  fs::create_directory("E");
  EXPECT_FALSE(run("COPY ", "D\\A?C.DAT", "E\\*.BAK").failed());
  EXPECT_EQ("a", readFile("E/ABC.DAT"));
}

TEST_F(Commands, PatternCopyToAPatternWithoutDirectoryWritesHere) {
  writeFile("D/ABC.DAT", "a");
  EXPECT_FALSE(run("COPY ", "D\\*.DAT", "???.BAK").failed());
  EXPECT_EQ("a", readFile("ABC.BAK"));
}

TEST_F(Commands, PatternCopyWithoutDirectoryPrefix) {
  writeFile("ABC.DAT", "a");
  fs::create_directory("E");
  EXPECT_FALSE(run("COPY ", "*.DAT", "E").failed());
  EXPECT_EQ("a", readFile("E/ABC.DAT"));
}

// ---- DEL

TEST_F(Commands, DeleteOneFile) {
  writeFile("F.DAT", "abc");
  Job job = run("DEL  ", "F.DAT");
  EXPECT_FALSE(job.failed());
  EXPECT_FALSE(fs::exists("F.DAT"));
  EXPECT_EQ(std::string(30, '0'), argument1Of(job).substr(0, 30));
}

TEST_F(Commands, DeleteOfAMissingFileSucceeds) { EXPECT_FALSE(run("APAGA", "NONE.DAT").failed()); }

TEST_F(Commands, DeleteOfADirectoryFails) {
  fs::create_directory("D");
  EXPECT_TRUE(run("del  ", "D").failed());
  EXPECT_TRUE(fs::exists("D"));
}

TEST_F(Commands, DeleteOfABlankNameFails) { EXPECT_TRUE(run("DEL  ", "").failed()); }

TEST_F(Commands, DeletePatternRemovesNonEmptyMatchesOnly) {
  writeFile("D/A.TMP", "a");
  writeFile("D/B.TMP", "");
  writeFile("D/C.DAT", "c");
  Job job = run("DEL  ", "D\\*.TMP");
  EXPECT_FALSE(job.failed());
  EXPECT_FALSE(fs::exists("D/A.TMP"));
  EXPECT_TRUE(fs::exists("D/B.TMP"));
  EXPECT_TRUE(fs::exists("D/C.DAT"));
  EXPECT_EQ(padded("D\\*.TMP"), argument1Of(job));
}

TEST_F(Commands, DeletePatternWithOnlyEmptyMatchesFails) {
  writeFile("D/A.TMP", "");
  EXPECT_TRUE(run("DEL  ", "D\\*.TMP").failed());
  EXPECT_TRUE(fs::exists("D/A.TMP"));
}

TEST_F(Commands, DeletePatternLeavesNamesWithSpacesAlone) {
  writeFile("D/MY FILE.TMP", "x");
  writeFile("D/MY", "keep");
  EXPECT_TRUE(run("DEL  ", "D\\*.TMP").failed());
  EXPECT_TRUE(fs::exists("D/MY FILE.TMP"));
  EXPECT_TRUE(fs::exists("D/MY"));
}

TEST_F(Commands, PatternMatchesWithoutAWindows1252NameAreLeftAlone) {
  ScopedVariable locale("LC_ALL", "pt_BR.UTF-8");
  writeFile("D/A\xC3\xA7.TMP", "a");    // "Aç.TMP": reached through its Windows-1252 name
  writeFile("D/\xE4\xB8\xAD.TMP", "b");  // no Windows-1252 form
  EXPECT_TRUE(run("DEL  ", "D\\*.TMP").failed());
  EXPECT_FALSE(fs::exists("D/A\xC3\xA7.TMP"));
  EXPECT_TRUE(fs::exists("D/\xE4\xB8\xAD.TMP"));
}

// ---- REN

TEST_F(Commands, Rename) {
  writeFile("OLD.DAT", "x");
  EXPECT_FALSE(run("REN  ", "OLD.DAT", "NEW.DAT").failed());
  EXPECT_EQ("x", readFile("NEW.DAT"));
}

TEST_F(Commands, RenameOfAMissingFileFails) { EXPECT_TRUE(run("ren  ", "OLD.DAT", "NEW.DAT").failed()); }

TEST_F(Commands, RenameNeverReplaces) {
  writeFile("OLD.DAT", "old");
  writeFile("NEW.DAT", "new");
  EXPECT_TRUE(run("REN  ", "OLD.DAT", "NEW.DAT").failed());
  EXPECT_EQ("new", readFile("NEW.DAT"));
  EXPECT_EQ("old", readFile("OLD.DAT"));
}

// ---- EXECU and the shell command

TEST_F(Commands, ExecuteChangesDirectoryThenRuns) {
  fs::create_directory("WORK");
  Job job = run("EXECU", "pwd > HERE.TXT", "WORK");
  EXPECT_FALSE(job.failed());
  EXPECT_EQ((root() / "WORK").string() + "\n", readFile(root() / "WORK/HERE.TXT"));
}

TEST_F(Commands, ExecuteSelectsTheMappedDrive) {
  fs::create_directories("d/WORK");
  ScopedVariable drives(platform::kDrivesVariable, ("D=" + (root() / "d").string()).c_str());
  EXPECT_FALSE(run("EXECU", "pwd > HERE.TXT", "D:\\WORK").failed());
  EXPECT_EQ((root() / "d/WORK").string() + "\n", readFile(root() / "d/WORK/HERE.TXT"));
  // A directory missing on the drive runs nothing.
  EXPECT_TRUE(run("EXECU", "pwd > HERE.TXT", "d:\\MISSING").failed());
  EXPECT_FALSE(fs::exists(root() / "d/HERE.TXT"));
  // A drive without a mapping runs nothing.
  EXPECT_TRUE(run("EXECU", "pwd > RAN.TXT", "E:\\WORK").failed());
  EXPECT_FALSE(fs::exists(root() / "d/RAN.TXT"));
}

TEST_F(Commands, ExecuteWithBlankDirectoryRunsHere) {
  Job job = run("EXECU", "echo x > HERE.TXT; exit 7");
  EXPECT_FALSE(job.failed());
  EXPECT_TRUE(fs::exists("HERE.TXT"));
}

TEST_F(Commands, ShellCommandSpillsIntoArgument2) {
  std::string first = "echo " + std::string(75, 'a');
  Job job = run("xyz  ", first, "bc > OUT.TXT");
  EXPECT_FALSE(job.failed());
  EXPECT_EQ(std::string(75, 'a') + "bc\n", readFile("OUT.TXT"));
}

TEST_F(Commands, ShellCommandRewritesSwitches) {
  Job job = run("Dir  ", "printf '%s|' X \\S \\Y \\y \\v > OUT.TXT");
  EXPECT_FALSE(job.failed());
  EXPECT_EQ("X|/S|/Y|/y|v|", readFile("OUT.TXT"));
}

TEST(SwitchRewriting, TableInOrder) {
  char buffer[kCommandBufferLength];
  std::memset(buffer, ' ', sizeof buffer);
  const std::string command = "XCOPY C:\\A C:\\D \\S \\Y \\Q \\q \\B \\b \\s \\y \\X \\S";
  std::memcpy(buffer, command.data(), command.size());
  rewriteSwitches(buffer);
  EXPECT_EQ("XCOPY C:\\A C:\\D /S /Y /Q /q /B /b /s /y \\X /S ",
            std::string(buffer, command.size() + 1));
}

TEST(SwitchRewriting, APathEndingInASwitchLetterIsRewrittenToo) {
  char buffer[kCommandBufferLength];
  std::memset(buffer, ' ', sizeof buffer);
  const std::string command = "XCOPY C:\\A C:\\B \\S";
  std::memcpy(buffer, command.data(), command.size());
  rewriteSwitches(buffer);
  EXPECT_EQ("XCOPY C:\\A C:/B /S", std::string(buffer, command.size()));
}

TEST(SwitchRewriting, LongPatternsOnlyInLowerCaseAfterASpace) {
  char buffer[kCommandBufferLength];
  std::memset(buffer, ' ', sizeof buffer);
  const std::string command = "CMD \\v\\i\\e X\\v\\i\\e \\V\\I\\E \\d\\v\\i\\e";
  std::memcpy(buffer, command.data(), command.size());
  rewriteSwitches(buffer);
  EXPECT_EQ("CMD /v/i/e X\\v\\i\\e \\V\\I\\E /d/v/i/e", std::string(buffer, command.size()));
}

TEST(SwitchRewriting, SwitchAtTheEndOfTheArguments) {
  char buffer[kCommandBufferLength];
  std::memset(buffer, ' ', sizeof buffer);
  buffer[158] = '\\';
  buffer[159] = 'S';
  rewriteSwitches(buffer);
  EXPECT_EQ("/S ", std::string(buffer + 158, 3));
}

TEST(SwitchRewriting, LastPositionWhereAPatternFits) {
  char buffer[kCommandBufferLength];
  std::memset(buffer, ' ', sizeof buffer);
  buffer[253] = '\\';
  buffer[254] = 'S';
  rewriteSwitches(buffer);
  EXPECT_EQ("/S ", std::string(buffer + 253, 3));
  std::memset(buffer, ' ', sizeof buffer);
  buffer[254] = '\\';
  buffer[255] = 'S';
  rewriteSwitches(buffer);  // does not fit with its space: left alone
  EXPECT_EQ("\\S", std::string(buffer + 254, 2));
}

TEST(Overlay, ByCharacterPosition) {
  char name[80];
  char pattern[40];
  putPadded(name, 80, "ABC.DAT");
  putPadded(pattern, 40, "X?.OLD");
  overlayName(name, pattern);
  EXPECT_EQ("XB.OLDT", nameIn(name, 80));
  putPadded(name, 80, "ABC.DAT");
  putPadded(pattern, 40, "????????.BAK");
  overlayName(name, pattern);
  EXPECT_EQ("ABC.DAT", nameIn(name, 80));
  putPadded(name, 80, "CLIENTES.DAT");
  overlayName(name, pattern);
  EXPECT_EQ("CLIENTES.BAK", nameIn(name, 80));
}

TEST(LastSeparator, FindsTheLastOfTheThree) {
  char area[80];
  putPadded(area, 80, "C:\\D\\*.DAT");
  EXPECT_EQ(6u, findLastSeparatorOrWildcard(area));
  putPadded(area, 80, "C:\\D*\\F.DAT");
  EXPECT_EQ(6u, findLastSeparatorOrWildcard(area));
  putPadded(area, 80, "F.DAT");
  EXPECT_EQ(0u, findLastSeparatorOrWildcard(area));
}


// ---- EXECU: a folder that cannot be entered runs nothing; the exit status is kept

TEST_F(Commands, ExecuteInAFolderThatCannotBeEnteredRunsNothing) {
  writeFile("keep.DAT", "keep");
  writeFile("AFILE", "not a folder");
  for (const char* directory : {"NAOEXISTE", "AFILE"}) {
    Job job = run("EXECU", "rm -f *.DAT", directory);
    EXPECT_TRUE(job.failed() && job.exitStatus == -1) << directory;
    EXPECT_NE(std::string::npos, job.reason.find("cannot be entered")) << job.reason;
    EXPECT_EQ("keep", readFile("keep.DAT")) << directory;
  }
  Job ran = run("EXECU", "exit 7");
  EXPECT_TRUE(!ran.failed() && ran.exitStatus == 7) << ran.exitStatus;
  EXPECT_EQ(3, run("Sh   ", "exit 3").exitStatus);
}

// ---- pattern COPY and DEL: every copy not made, every match left, fails the request

TEST_F(Commands, PatternCopyFailsForEveryCopyNotMadeAndStillMakesTheOthers) {
  writeFile("DADOS/x1.DAT", "one");
  writeFile("DADOS/x2.DAT", "two");
  Job job = run("COPY ", "DADOS\\x*.DAT", "NOVA");  // both land on NOVAAT: never overwritten
  EXPECT_TRUE(job.failed());
  EXPECT_EQ("one", readFile("NOVAAT"));
  EXPECT_NE(std::string::npos, job.reason.find("DADOS\\x2.DAT was not copied")) << job.reason;
  fs::create_directories("E/x2.DAT");  // x2's target cannot be written
  job = run("COPY ", "DADOS\\*.DAT", "E");
  EXPECT_TRUE(job.failed());
  EXPECT_EQ("one", readFile("E/x1.DAT"));
  EXPECT_NE(std::string::npos, job.reason.find("DADOS\\x2.DAT could not be copied")) << job.reason;
  job = run("COPY ", "DADOS\\*.DAT", "NAOEXISTE\\*.DAT");
  EXPECT_TRUE(job.failed());
  EXPECT_FALSE(fs::exists("NAOEXISTE"));
  EXPECT_NE(std::string::npos, job.reason.find("2 of 2 copies not made")) << job.reason;
}

TEST_F(Commands, PatternDeleteFailsWhenAMatchIsStillThere) {
  // Entries of /proc/self/fd cannot be removed, not even by root; an open file of some size
  // makes one of them a non-empty match.
  ScopedVariable unmapped(platform::kDrivesVariable, nullptr);  // "\proc" is the host's /proc
  writeFile("OPEN.DAT", "held open");
  std::ifstream held("OPEN.DAT");
  ASSERT_TRUE(held.is_open());
  Job job = run("DEL  ", "\\proc\\self\\fd\\*");
  EXPECT_TRUE(job.failed());
  EXPECT_NE(std::string::npos, job.reason.find("is still there")) << job.reason;
  EXPECT_EQ("held open", readFile("OPEN.DAT"));
}

TEST_F(Commands, NamesHoldingABackslashAreLeftOutOfPatterns) {
  writeFile("outside.DAT", "outside");
  writeFile("P/..\\outside.DAT", "planted");  // one entry of P, named "..\outside.DAT"
  EXPECT_TRUE(run("DEL  ", "P\\*.DAT").failed());
  EXPECT_TRUE(run("COPY ", "P\\*.DAT", "E.DAT").failed());
  EXPECT_EQ("outside", readFile("outside.DAT"));
  EXPECT_EQ("planted", readFile("P/..\\outside.DAT"));
  EXPECT_FALSE(fs::exists("E.DAT"));
}

// ---- mapped drives: a symbolic link leading out is not followed; "\" is the drive's root

TEST_F(Commands, SymbolicLinksOutOfAMappedDriveAreNotFollowed) {
  fs::create_directories("outside/dir");
  writeFile("outside/o.DAT", "outside");
  writeFile("c/D/F.DAT", "inside");
  fs::create_directory_symlink("../outside", "c/L");
  fs::create_symlink(root() / "outside/o.DAT", "c/D/ABS.DAT");
  ScopedVariable drives(platform::kDrivesVariable, ("C=" + (root() / "c").string()).c_str());
  const std::string before = treeOf(root());
  const std::array<std::array<const char*, 3>, 11> requests = {{
      {"MKDIR", "C:\\L\\NEW", ""},
      {"RMDIR", "C:\\L\\dir", ""},
      {"COPY ", "C:\\L\\o.DAT", "C:\\D\\G.DAT"},
      {"COPY ", "C:\\D\\F.DAT", "C:\\L\\G.DAT"},
      {"COPY ", "C:\\D\\F.DAT", "C:\\D\\ABS.DAT"},
      {"COPY ", "C:\\L\\*.DAT", "C:\\D"},
      {"DEL  ", "C:\\L\\o.DAT", ""},
      {"DEL  ", "C:\\L\\*.DAT", ""},
      {"REN  ", "C:\\L\\o.DAT", "C:\\D\\O.DAT"},
      {"DIR  ", "C:\\L\\LIST.TXT", ""},
      {"EXECU", "echo x > RAN.TXT", "C:\\L"},
  }};
  for (const auto& [verb, argument1, argument2] : requests) {
    Job job = run(verb, argument1, argument2);
    EXPECT_TRUE(job.failed() && job.reason.find("leads outside drive C:") != std::string::npos)
        << verb << " " << argument1 << ": " << job.reason;
    EXPECT_EQ(before, treeOf(root())) << verb << " " << argument1;
  }
  EXPECT_EQ("outside", readFile("outside/o.DAT"));
  // A link that stays inside the drive is followed.
  fs::create_directory_symlink("D", "c/IN");
  EXPECT_FALSE(run("COPY ", "C:\\IN\\F.DAT", "C:\\G.DAT").failed());
  EXPECT_EQ("inside", readFile("c/G.DAT"));
}

TEST_F(Commands, ANameRootedAtBackslashIsTheRootOfTheCurrentDrive) {
  fs::create_directories("c/WORK");
  fs::create_directories("elsewhere");
  ScopedVariable drives(platform::kDrivesVariable, ("C=" + (root() / "c").string()).c_str());
  fs::current_path("c/WORK");
  EXPECT_FALSE(run("MKDIR", "\\TOPO").failed());
  EXPECT_TRUE(fs::is_directory(root() / "c/TOPO"));
  fs::current_path(root() / "elsewhere");
  const std::string unique = root().filename().string();  // never at the host's root before
  Job job = run("MKDIR", "\\" + unique);
  EXPECT_TRUE(job.failed());
  EXPECT_NE(std::string::npos, job.reason.find("no drive of DUNAX_DRIVES holds")) << job.reason;
  EXPECT_FALSE(fs::exists("/" + unique));
}

}  // namespace
}  // namespace dunax::executor
