// The programs on Windows, end to end as a user meets them: a data file through DUNAXMF.exe "B"
// and "X" with RECSEQ.dll and back byte for byte; a migration of several files through
// dunaxconv.exe, an accented name on its command line; dunaxreq.exe and DUNAXSYS.exe for every verb
// with a real drive path; and the bad input that only Windows has: reserved device names, paths
// past MAX_PATH, a 32-bit module beside a 64-bit program.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/digest.h"
#include "tests/support/test_support.h"

namespace dunax::testing {
namespace {

// The converter's 121-character run parameter for one file, the first of one.
std::string runParameter(char direction, const std::string& program, const std::string& fieldB,
                         const std::string& dataFile) {
  std::string p(121, ' ');
  p[0] = direction;
  p.replace(9, 8, padded(program, 8));
  p.replace(20, 10, padded(fieldB, 10));
  p.replace(30, 50, padded(dataFile, 50));
  p.replace(92, 8, "00000001");
  p.replace(100, 8, "00000001");
  p.replace(108, 9, "000000000");
  p.replace(117, 2, "00");
  p[120] = 'N';
  return p;
}

// A record that differs from its neighbours and holds every byte value.
std::string makeRecord(std::size_t number, std::size_t length) {
  std::string record(length, '\0');
  for (std::size_t i = 0; i < length; ++i) {
    record[i] = static_cast<char>((number * 7 + i * 13 + (i >> 8)) & 0xFF);
  }
  return record;
}

std::string withoutLineEnd(std::string line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n' || line.back() == ' ')) {
    line.pop_back();
  }
  return line;
}

// The system's own words for a Win32 error code, without inserts, line end or final period.
std::string systemWords(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                      FORMAT_MESSAGE_IGNORE_INSERTS;
  const DWORD length = FormatMessageW(flags, nullptr, code, 0, reinterpret_cast<LPWSTR>(&text), 0,
                                      nullptr);
  std::wstring wide(text != nullptr ? text : L"", length);
  LocalFree(text);
  // The longest piece between inserts ("%1 is not a valid Win32 application.").
  std::wstring longest;
  for (std::size_t start = 0; start <= wide.size();) {
    std::size_t insert = wide.find(L"%1", start);
    std::wstring piece = wide.substr(start, insert == std::wstring::npos ? insert : insert - start);
    if (piece.size() > longest.size()) longest = piece;
    if (insert == std::wstring::npos) break;
    start = insert + 2;
  }
  std::string words(longest.begin(), longest.end());  // the system's words are ASCII here
  words = withoutLineEnd(words);
  while (!words.empty() && (words.back() == '.' || words.front() == ' ')) {
    words.erase(words.back() == '.' ? words.size() - 1 : 0, 1);
  }
  return words;
}

class WindowsConverter : public ::testing::Test {
 protected:
  RunResult convert(const std::string& parameter, const std::string& modules) {
    return runProgram(binDirectory() + "/DUNAXMF", {parameter}, directory.path(),
                      {"COB_LIBRARY_PATH=" + modules, "DUNAX_VRDMSG_ANSWERS="}, 120);
  }
  std::string path(const std::string& name) const { return directory.file(name); }
  TemporaryDirectory directory;
};

TEST_F(WindowsConverter, RecseqRoundTripThroughTheTransferFileIsByteForByte) {
  std::string data;
  for (std::size_t i = 0; i < 2500; ++i) data += makeRecord(i, 80);
  ASSERT_TRUE(writeFile(path("clientes.dat"), data));
  RunResult out = convert(runParameter('B', "RECSEQ", "80", "clientes.dat"), moduleDirectory());
  ASSERT_EQ(out.exitCode, 0) << out.output;
  const std::string transfer = readFile(path("clientes.dat.bin"));
  ASSERT_EQ(transfer.size(), 2500u * 1024u);
  EXPECT_EQ(transfer.substr(1024 * 2499, 80), makeRecord(2499, 80));

  ASSERT_TRUE(writeFile(path("copia.dat.bin"), transfer));
  RunResult back = convert(runParameter('X', "RECSEQ", "80", "copia.dat"), moduleDirectory());
  ASSERT_EQ(back.exitCode, 0) << back.output;
  EXPECT_EQ(readFile(path("copia.dat")), data);
}

TEST_F(WindowsConverter, AReservedDeviceAsDataFileIsAnErrorAtOnce) {
  for (const char* device : {"CON", "NUL", "COM1", "LPT1", "nul.dat", "C:\\DADOS\\CON"}) {
    RunResult result = convert(runParameter('B', "RECSEQ", "80", device), moduleDirectory());
    EXPECT_GT(result.exitCode, 0) << device << ": " << result.output;  // -1: it hung
  }
}

TEST_F(WindowsConverter, A32BitRecordAccessProgramCannotBeFoundInTheLoadersWords) {
  const std::string modules = buildDirectory() + "/tests/windows/modules";
  ASSERT_TRUE(fileExists(modules + "/RECW32.dll"));
  ASSERT_TRUE(writeFile(path("dados.dat"), std::string(80, 'x')));
  RunResult result = convert(runParameter('B', "RECW32", "80", "dados.dat"),
                             libraryPath({modules, moduleDirectory()}));
  EXPECT_EQ(result.exitCode, 32) << result.output;
  EXPECT_NE(result.output.find("RECW32"), std::string::npos) << result.output;
  const std::string words = systemWords(ERROR_BAD_EXE_FORMAT);
  ASSERT_FALSE(words.empty());
  EXPECT_NE(result.output.find(words), std::string::npos) << "[" << words << "] " << result.output;
}

// dunaxconv.exe as an operator runs it: files named on its command line (one with accents, one
// in a folder written with "\"), the module path of folders with drive letters.
class WindowsMigration : public ::testing::Test {
 protected:
  RunResult dunaxconv(const std::vector<std::string>& arguments, const std::string& modulePath) {
    return runProgram(binDirectory() + "/dunaxconv", arguments, directory.path(),
                      {"COB_LIBRARY_PATH=" + modulePath, "DUNAX_VRDMSG_ANSWERS="}, 300);
  }
  // A name under the test's folder as a wide path: the C run-time's narrow names are ANSI.
  std::filesystem::path at(const std::string& utf8Name) const {
    const std::string full = directory.path() + "\\" + utf8Name;
    return std::filesystem::path(std::u8string(full.begin(), full.end()));
  }
  std::string readAt(const std::string& utf8Name) const {
    std::ifstream in(at(utf8Name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  bool writeAt(const std::string& utf8Name, const std::string& content) const {
    return static_cast<bool>(std::ofstream(at(utf8Name), std::ios::binary) << content);
  }
  TemporaryDirectory directory;
};

std::string withBackslashes(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

TEST_F(WindowsMigration, SeveralFilesGoThereAndBackByteForByte) {
  const struct {
    std::string name;
    std::size_t records;
  } kFiles[] = {{"clientes.dat", 300}, {"cadastro_a\xc3\xa7\xc3\xa3o.dat", 120}, {"dados\\vendas.dat", 1}};
  ASSERT_TRUE(std::filesystem::create_directory(at("dados")));
  std::vector<std::string> data, transfer;
  for (std::size_t f = 0; f < std::size(kFiles); ++f) {
    data.emplace_back();
    transfer.emplace_back();  // each record in 1024 bytes, space-filled
    for (std::size_t i = 0; i < kFiles[f].records; ++i) {
      data[f] += makeRecord(f * 1000 + i, 80);
      transfer[f] += makeRecord(f * 1000 + i, 80) + std::string(1024 - 80, ' ');
    }
    ASSERT_TRUE(writeAt(kFiles[f].name, data[f])) << kFiles[f].name;
  }
  const std::string modules = withBackslashes(moduleDirectory());
  ASSERT_EQ(modules.substr(1, 2), ":\\") << modules;
  const std::string nowhere = withBackslashes(directory.path()) + "\\no-modules";
  const std::string summary = "3 files: 3 converted, 0 skipped, 0 failed, 0 stopped the run";

  std::vector<std::string> arguments = {"--record-length", "80", "B", "RECSEQ"};
  for (const auto& file : kFiles) arguments.push_back(file.name);
  std::vector<std::string> reported = {"--report", "r.jsonl"};
  reported.insert(reported.end(), arguments.begin(), arguments.end());
  const RunResult out = dunaxconv(reported, nowhere + ";" + modules);
  ASSERT_EQ(out.exitCode, 0) << out.output;
  EXPECT_NE(out.output.find(summary), std::string::npos) << out.output;
  EXPECT_NE(out.output.find(kFiles[1].name), std::string::npos) << out.output;
  // The report: a line a file, each converted, with its name in UTF-8 and its transfer set's
  // digest as the file system holds it.
  const std::string report = readAt("r.jsonl");
  EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 3) << report;
  EXPECT_NE(report.find("cadastro_a\xc3\xa7\xc3\xa3o.dat\""), std::string::npos) << report;
  for (std::size_t f = 0; f < std::size(kFiles); ++f) {
    EXPECT_EQ(readAt(kFiles[f].name + ".bin"), transfer[f]) << kFiles[f].name;
    const auto digest =
        dunax::platform::digestFiles({directory.path() + "\\" + kFiles[f].name + ".bin"});
    ASSERT_TRUE(digest) << kFiles[f].name;
    EXPECT_NE(report.find("\"transfer_sha256\":\"" + digest->sha256 + "\""), std::string::npos)
        << kFiles[f].name << "\n" << report;
    ASSERT_TRUE(std::filesystem::remove(at(kFiles[f].name))) << kFiles[f].name;
  }

  // Back, the converter named with "\" and no module on the path: RECSEQ.dll is found beside
  // the converter, in ..\lib\dunax.
  arguments[2] = "X";
  arguments.insert(arguments.begin(), {"--converter", withBackslashes(binDirectory()) + "\\DUNAXMF"});
  const RunResult back = dunaxconv(arguments, nowhere);
  ASSERT_EQ(back.exitCode, 0) << back.output;
  EXPECT_NE(back.output.find(summary), std::string::npos) << back.output;
  for (std::size_t f = 0; f < std::size(kFiles); ++f) {
    EXPECT_EQ(readAt(kFiles[f].name), data[f]) << kFiles[f].name;
  }

  // A program found nowhere is refused before anything starts, named as this host's module.
  const RunResult refused = dunaxconv({"B", "RECNONE", kFiles[0].name}, nowhere + ";" + modules);
  EXPECT_EQ(refused.exitCode, 64) << refused.output;
  EXPECT_NE(refused.output.find("put RECNONE.dll in one of those folders"), std::string::npos)
      << refused.output;
}

// dunaxreq.exe posts a request and starts DUNAXSYS.exe beside it, both copied where no
// SP2MF.dll lies near, so that the screen library is the test double SP2; the message
// directory is the test's own.
struct Reply {
  int exitCode = -1;
  std::string verb, argument1, argument2;
};

class WindowsExecutor : public ::testing::Test {
 protected:
  void SetUp() override {
    data_ = directory.path() + "\\data";
    ASSERT_TRUE(std::filesystem::create_directory(data_));
    ASSERT_TRUE(std::filesystem::create_directory(directory.file("bin")));
    for (const char* program : {"dunaxreq.exe", "DUNAXSYS.exe"}) {
      ASSERT_TRUE(std::filesystem::copy_file(binDirectory() + "/" + program,
                                             directory.file("bin") + "/" + program));
    }
  }
  Reply request(const std::vector<std::string>& arguments) {
    // Wine starts cmd.exe slowly on a loaded machine: the reply may take longer than the
    // client's default 10 s.
    std::vector<std::string> withTimeout = {"--timeout", "50"};
    withTimeout.insert(withTimeout.end(), arguments.begin(), arguments.end());
    RunResult result = runProgram(directory.file("bin") + "/dunaxreq", withTimeout, data_,
                                  {"COB_LIBRARY_PATH=" + buildDirectory() + "/tests/doubles",
                                   "DUNAX_MESSAGE_DIR=" + directory.file("messages"),
                                   "DUNAX_SP2_LOG=" + directory.file("sp2.log")},
                                  60);
    Reply reply;
    reply.exitCode = result.exitCode;
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < result.output.size()) {
      std::size_t end = result.output.find('\n', start);
      if (end == std::string::npos) end = result.output.size();
      lines.push_back(withoutLineEnd(result.output.substr(start, end - start)));
      start = end + 1;
    }
    lines.resize(std::max<std::size_t>(lines.size(), 3));
    reply.verb = lines[0];
    reply.argument1 = lines[1];
    reply.argument2 = lines[2];
    return reply;
  }
  std::string data(const std::string& name) const { return data_ + "\\" + name; }

  TemporaryDirectory directory;
  std::string data_;  // the requests' current directory, a full path with its drive
};

TEST_F(WindowsExecutor, EveryVerbWorksWithADrivePath) {
  Reply made = request({"MKDIR", data("A\\B\\C")});
  EXPECT_EQ(made.exitCode, 0) << made.verb;
  EXPECT_TRUE(std::filesystem::is_directory(data("A\\B\\C")));
  EXPECT_EQ(request({"RMDIR", data("A\\B\\C")}).exitCode, 0);
  EXPECT_FALSE(std::filesystem::exists(data("A\\B\\C")));

  Reply current = request({"CDDIR"});
  ASSERT_EQ(current.exitCode, 0);
  ASSERT_GE(current.argument1.size(), 3u);
  EXPECT_EQ(current.argument1.substr(1, 2), ":\\") << current.argument1;
  EXPECT_EQ(current.argument1.substr(current.argument1.size() - 5), "\\data");

  ASSERT_TRUE(writeFile(data("S.DAT"), "contents"));
  EXPECT_EQ(request({"COPY", data("S.DAT"), "T.DAT"}).exitCode, 0);
  EXPECT_EQ(readFile(data("T.DAT")), "contents");
  EXPECT_EQ(request({"REN", "T.DAT", "U.DAT"}).exitCode, 0);
  EXPECT_EQ(readFile(data("U.DAT")), "contents");
  EXPECT_EQ(request({"DEL", data("U.DAT")}).exitCode, 0);
  EXPECT_FALSE(fileExists(data("U.DAT")));

  ASSERT_TRUE(std::filesystem::create_directory(data("WORK")));
  EXPECT_EQ(request({"EXECU", "cd > HERE.TXT", data("WORK")}).exitCode, 0);
  EXPECT_NE(readFile(data("WORK\\HERE.TXT")).find("WORK"), std::string::npos);

  EXPECT_EQ(request({"DIR", "LIST.TXT"}).exitCode, 0);
  EXPECT_TRUE(fileExists(data("LIST.TXT")));
  EXPECT_EQ(request({"--shell", "echo shell> OUT.TXT"}).exitCode, 0);
  EXPECT_EQ(withoutLineEnd(readFile(data("OUT.TXT"))), "shell");
}

TEST_F(WindowsExecutor, AReservedDeviceNameAnswersErroAtOnce) {
  ASSERT_TRUE(writeFile(data("S.DAT"), "contents"));
  const std::vector<std::vector<std::string>> requests = {
      {"MKDIR", "CON"}, {"COPY", "S.DAT", "CON"}, {"COPY", "NUL", "N.DAT"}, {"DEL", "COM1"},
      {"REN", "S.DAT", "LPT1"}, {"DIR", "CON"}, {"EXECU", "cd", "CON"}};
  for (const std::vector<std::string>& arguments : requests) {
    Reply reply = request(arguments);
    EXPECT_EQ(reply.exitCode, 1) << arguments[0] << " " << arguments[1];  // -1: it hung
    EXPECT_EQ(reply.verb, "ERRO") << arguments[0] << " " << arguments[1];
  }
  EXPECT_EQ(readFile(data("S.DAT")), "contents");
  EXPECT_FALSE(fileExists(data("N.DAT")));
}

TEST_F(WindowsExecutor, NamesPastMaxPathAreWorkedOn) {
  // A current directory of about 230 characters (a current directory must stay under
  // MAX_PATH) and a name under it that takes the whole past MAX_PATH.
  const std::wstring extended = L"\\\\?\\";
  std::string deep = data_;
  while (deep.size() < 210) deep += "\\" + std::string(20, 'd');
  ASSERT_TRUE(std::filesystem::create_directories(extended + std::filesystem::path(deep).wstring()));
  data_ = deep;
  const std::string name = std::string(30, 'n') + "\\" + std::string(30, 'm');
  Reply made = request({"MKDIR", name});
  EXPECT_EQ(made.exitCode, 0) << made.verb;
  const std::wstring madePath = extended + std::filesystem::path(deep + "\\" + name).wstring();
  EXPECT_TRUE(std::filesystem::is_directory(madePath));
  EXPECT_EQ(request({"RMDIR", name}).exitCode, 0);
  EXPECT_FALSE(std::filesystem::exists(madePath));
  std::error_code ignored;
  std::filesystem::remove_all(extended + std::filesystem::path(directory.path() + "\\data").wstring(),
                              ignored);
}

}  // namespace
}  // namespace dunax::testing
