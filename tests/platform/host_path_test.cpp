// Request names to host paths: drive letters and network paths land under their mapped
// directories and never outside them; other names keep their plain form.
#include <gtest/gtest.h>

#include <string>

#include "platform/host_path.h"

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
    std::string host = "(untouched)";
    const bool mapped = mapRequestName(test.name, kDrives, test.networkRoot, host);
    if (std::string(test.expected) == kRefused) {
      EXPECT_FALSE(mapped) << test.name << " -> " << host;
      EXPECT_EQ("(untouched)", host) << test.name;
    } else {
      EXPECT_TRUE(mapped) << test.name;
      EXPECT_EQ(test.expected, host) << test.name;
    }
  }
}

}  // namespace
}  // namespace dunax::platform
