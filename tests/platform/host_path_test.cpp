// Request names to host paths: drive letters and network paths land under their mapped
// directories and never outside them (on POSIX also without the kernel's help); other names
// keep their plain form; on Windows, names that reach devices are refused.
#include <vector>

#include "platform/file_routines.h"
#include "platform/host_path.h"
#include "platform/program_arguments.h"
#include "platform/record_file.h"
#include "tests/platform/platform_test.h"
#ifndef _WIN32
#include "platform/posix/links_beneath.h"
#endif

namespace dunax::platform {
namespace {

constexpr char kDrives[] = "C=/srv/c;d=/data/;X=relative;R=/";
constexpr char kNetworkRoot[] = "/net/";
constexpr char kRefused[] = "(refused)";

struct NameCase {
  const char* name;
  const char* networkRoot;
  const char* expected;  // kRefused when the name must be refused
};

TEST(HostPathTest, MapsDrivesAndNetworkPathsWithinTheirRoots) {
#ifdef _WIN32
  GTEST_SKIP() << "drives and network paths are the host's own on Windows (file_routines_test)";
#endif
  const NameCase cases[] = {
      {"C:\\DADOS\\CLI.DAT", kNetworkRoot, "/srv/c/DADOS/CLI.DAT"},
      {"c:\\DADOS", kNetworkRoot, "/srv/c/DADOS"},            // lower-case drive
      {"D:\\WORK", kNetworkRoot, "/data/WORK"},                // lower-case entry, trailing "/"
      {"C:DADOS\\X", kNetworkRoot, "/srv/c/DADOS/X"},          // drive-relative
      {"C:", kNetworkRoot, "/srv/c"},
      {"C:\\", kNetworkRoot, "/srv/c"},
      {"R:\\ETC", kNetworkRoot, "/ETC"},
      {"C:\\A\\.\\..\\B", kNetworkRoot, "/srv/c/B"},           // steps back within the drive
      {"\\\\srv\\share\\dir", kNetworkRoot, "/net/srv/share/dir"},
      {"//srv/share/dir", kNetworkRoot, "/net/srv/share/dir"},
      {"\\\\srv", kNetworkRoot, "/net/srv"},
      {"\\\\srv\\share\\*.DAT", kNetworkRoot, "/net/srv/share/*.DAT"},
      {"..\\A\\B.DAT", kNetworkRoot, "../A/B.DAT"},            // plain names as they are
      {"DADOS\\..\\..\\X", kNetworkRoot, "DADOS/../../X"},
      {"1:\\A", kNetworkRoot, "1:/A"},                         // no drive letter
      {"Z:\\DADOS", kNetworkRoot, kRefused},                   // drive without a mapping
      {"X:\\DADOS", kNetworkRoot, kRefused},                   // mapped to a relative directory
      {"\\\\srv\\share\\dir", "", kRefused},                   // no network root
      {"//srv/share", "net", kRefused},                        // a relative network root
      {"C:..\\x", kNetworkRoot, kRefused},                     // climbing out of a drive
      {"C:\\A\\..\\..\\etc", kNetworkRoot, kRefused},
      {"\\\\srv\\share\\..\\..\\etc", kNetworkRoot, kRefused}, // climbing out of a share
      {"\\\\srv\\share\\..\\other", kNetworkRoot, kRefused},
      {"\\\\..\\x", kNetworkRoot, kRefused},
      {"\\\\srv\\..", kNetworkRoot, kRefused},
      {"\\\\", kNetworkRoot, kRefused},
      {"", kNetworkRoot, kRefused},
  };
  for (const NameCase& test : cases) {
    const Expected<std::string> host = mapRequestName(test.name, kDrives, test.networkRoot);
    if (std::string(test.expected) == kRefused) {
      EXPECT_FALSE(host) << test.name << " -> " << host.valueOr("");
      EXPECT_EQ(StatusCode::InvalidName, host.status().code()) << test.name;
    } else {
      EXPECT_TRUE(host) << test.name;
      EXPECT_EQ(test.expected, host.valueOr("")) << test.name;
    }
  }
}

// A name of the records and the same name at the host; nullptr for a side it has no form on.
struct EncodingCase {
  NameEncoding encoding;
  const char* record;
  const char* host;
};

TEST(HostPathTest, NamesAreWindows1252InRecordsAndTheHostsEncodingAtTheHost) {
#ifdef _WIN32
  GTEST_SKIP() << "the POSIX half's rules: \\ read as /, the locale's code set";
#endif
  const EncodingCase cases[] = {
      {NameEncoding::Utf8, "DADOS/CLI.DAT", "DADOS/CLI.DAT"},
      {NameEncoding::Utf8, "a\xE7\xE3o.dat", "a\xC3\xA7\xC3\xA3o.dat"},  // "ação.dat"
      {NameEncoding::Utf8, "\x80 5", "\xE2\x82\xAC 5"},                 // the euro sign
      {NameEncoding::Utf8, "a\x81", nullptr},                          // no character in the page
      {NameEncoding::Utf8, nullptr, "\xE4\xB8\xAD.dat"},                 // no Windows-1252 byte
      {NameEncoding::Utf8, nullptr, "\xC2\x81"},                        // U+0081, the page's hole
      {NameEncoding::Utf8, nullptr, "a\xE7o"},                          // not UTF-8
      {NameEncoding::Utf8, nullptr, "\xC3\xA7\xE0\x80\xAF"},             // an overlong "/"
      {NameEncoding::SameBytes, "a\xE7\xE3o\x81", "a\xE7\xE3o\x81"},
  };
  for (const EncodingCase& test : cases) {
    if (test.record != nullptr) {
      const Expected<std::string> host = hostNameFromRecord(test.record, test.encoding, "", "");
      EXPECT_EQ(test.host != nullptr, host.ok()) << test.record;
      EXPECT_EQ(test.host != nullptr ? test.host : "(refused)", host.valueOr("(refused)"))
          << test.record;
    }
    if (test.host != nullptr) {
      const Expected<std::string> record = recordNameFromHost(test.host, test.encoding);
      EXPECT_EQ(test.record != nullptr ? test.record : "(refused)", record.valueOr("(refused)"))
          << test.host;
    }
  }
  // The name is converted before it is mapped: "\" and drives apply to the host's form.
  EXPECT_EQ("/srv/c/A\xC3\xA7\xC3\xA3o/F",
            hostNameFromRecord("C:\\A\xE7\xE3o\\F", NameEncoding::Utf8, kDrives, "").valueOr(""));
}

TEST(HostPathTest, OnlyANamedSingleByteCodeSetKeepsTheBytes) {
  EXPECT_EQ(NameEncoding::SameBytes, nameEncodingOfLocale("pt_BR.ISO-8859-1"));
  EXPECT_EQ(NameEncoding::SameBytes, nameEncodingOfLocale("de_DE.iso885915@euro"));
  EXPECT_EQ(NameEncoding::SameBytes, nameEncodingOfLocale("pt_PT.CP1252"));
  EXPECT_EQ(NameEncoding::Utf8, nameEncodingOfLocale("pt_BR.UTF-8"));
  EXPECT_EQ(NameEncoding::Utf8, nameEncodingOfLocale("pt_BR.utf8@latin"));
  EXPECT_EQ(NameEncoding::Utf8, nameEncodingOfLocale("C"));
  EXPECT_EQ(NameEncoding::Utf8, nameEncodingOfLocale(""));
  EXPECT_EQ(NameEncoding::Utf8, nameEncodingOfLocale("xx_XX.KOI8-R"));
}

// The directory of a program's path, as the manager takes its converter's folder: the host's
// separators, its roots kept.
TEST(HostPathTest, DirectoryOfAPathKeepsTheRootAndTakesTheHostsSeparators) {
  const struct {
    const char* path;
    const char* expected;
  } kCases[] = {
      {"/opt/dunax/bin/DUNAXMF", "/opt/dunax/bin"},
      {"/DUNAXMF", "/"},
      {"DUNAXMF", "."},
      {"bin/DUNAXMF", "bin"},
#ifdef _WIN32
      {"bin\\DUNAXMF", "bin"},
      {"C:\\dunax\\bin\\DUNAXMF.exe", "C:\\dunax\\bin"},
      {"Z:\\work/bin\\DUNAXMF", "Z:\\work/bin"},
      {"C:\\DUNAXMF.exe", "C:\\"},
      {"\\DUNAXMF.exe", "\\"},
      {"C:DUNAXMF.exe", "C:"},
      {"\\\\server\\share\\DUNAXMF.exe", "\\\\server\\share"},
#else
      {"bin\\DUNAXMF", "."},  // "\" is a character of a name here
#endif
  };
  for (const auto& c : kCases) EXPECT_EQ(directoryOfPath(c.path), c.expected) << c.path;
}

// The arguments come in the text asked for: on POSIX main's as they are; on Windows the wide
// command line's, main's ANSI ones set aside.
TEST(HostPathTest, ProgramArgumentsAreUtf8WithMainsShape) {
  std::vector<std::string> given = {"dunaxconv", "cadastro_a\xc3\xa7\xc3\xa3o.dat", ""};
  std::vector<char*> argv;
  for (std::string& text : given) argv.push_back(text.data());
  argv.push_back(nullptr);
  for (ArgumentText text : {ArgumentText::Utf8, ArgumentText::Windows1252}) {
    ProgramArguments arguments(static_cast<int>(given.size()), argv.data(), text);
#ifdef _WIN32
    ASSERT_GE(arguments.count(), 1);
    EXPECT_NE(arguments.all()[0].find("platform_test"), std::string::npos) << arguments.all()[0];
#else
    EXPECT_EQ(arguments.all(), given);
#endif
    EXPECT_EQ(arguments.values()[arguments.count() - 1], arguments.all().back());
    EXPECT_EQ(arguments.values()[arguments.count()], nullptr);
  }
}

class LinksBeneathTest : public testing::InFreshDirectory {};

#ifndef _WIN32
// The check of every link on the way, the fallback of the drive mapping on a kernel without
// openat2: links that stay inside pass, links that lead out or nowhere do not.
TEST_F(LinksBeneathTest, LinksBeneathAMappedDirectoryWithoutTheKernelsHelp) {
  fs::create_directories("c/D");
  fs::create_directories("outside");
  fs::create_directory_symlink("D", "c/IN");
  fs::create_directory_symlink("../outside", "c/UP");
  fs::create_symlink(root() / "outside", "c/ABS");
  fs::create_symlink("nowhere", "c/DANGLING");
  fs::create_directory_symlink(root() / "c/D", "c/ABSIN");
  const std::string base = (root() / "c").string();
  for (const char* rest : {"D/F.DAT", "IN/F.DAT", "ABSIN/NEW/F.DAT", "NEW/DEEPER/F", "IN\\F.DAT"}) {
    EXPECT_TRUE(posix::linksStayBeneath(base, rest)) << rest;
  }
  for (const char* rest : {"UP/F.DAT", "ABS", "DANGLING"}) {
    EXPECT_FALSE(posix::linksStayBeneath(base, rest)) << rest;
  }
  EXPECT_FALSE(posix::linksStayBeneath((root() / "missing").string(), "F"));
}
#else
TEST(HostPathTest, NamesThatReachDevicesAreRefusedAndNeverOpened) {
  for (const char* name : {"CON", "nul", "NUL.TXT", "Com1.dat", "lpt9", "AUX .x", "CONIN$",
                           "DADOS\\PRN\\X.DAT", "C:NUL", "\\\\.\\COM1", "//./pipe/x",
                           "\\\\?\\C:\\X", "A.DAT:stream"}) {
    EXPECT_EQ(StatusCode::InvalidName, hostNameFromRecord(name).status().code()) << name;
    EXPECT_EQ(StatusCode::InvalidName, createDirectory(name).code()) << name;
    RecordFile file(Organization::LineSequential, 80);
    EXPECT_EQ("37", statusText(file.open(name, OpenMode::Input))) << name;
    EXPECT_EQ("37", statusText(file.open(name, OpenMode::Output))) << name;
  }
  for (const char* name : {"CONSOLE.DAT", "COM10", "LPT", "C:\\DADOS\\CLI.DAT", "c:DADOS",
                           "\\\\srv\\share\\x"}) {
    EXPECT_EQ(name, hostNameFromRecord(name).valueOr("(refused)"));
  }
  EXPECT_EQ("A\\B\\C", hostNameFromRecord("A/B\\C").valueOr("(refused)"));
}
#endif

}  // namespace
}  // namespace dunax::platform
