// Files of one run that would overwrite each other: one file under two names, transfer-file
// segments that meet, a transfer file that is another file's data file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "manager/file_clashes.h"

namespace dunax::manager {
namespace {

// Real paths for the test: "./" left out, and "link.dat" a symbolic link to "a.dat".
std::string fakeRealPath(const DataFile& /*file*/, const std::string& name) {
  std::string real = name.rfind("./", 0) == 0 ? name.substr(2) : name;
  return real == "link.dat" ? "a.dat" : real;
}

TEST(FileClashes, EveryNameAFileHasIsCompared) {
  struct Case {
    std::vector<std::string> names;
    std::size_t clashes;
  };
  const Case cases[] = {
      {{"a.dat", "b.dat", "c.dat"}, 0},
      {{"a.dat", "./a.dat"}, 1},
      {{"link.dat", "b.dat", "a.dat"}, 1},
      {{"dados.binario", "dados.bi1ario"}, 1},  // segment 1 of the first is the second's .bin
      {{"dados.bi9ario", "dados.binario"}, 1},
      {{"x.bix", "x.bi3"}, 1},
      {{"a", "a.bin"}, 1},                      // the transfer file of one is the other
      {{"a.bin", "b", "a"}, 1},
      {{std::string(46, 'n'), std::string(46, 'n') + "x"}, 0},  // no room for segments
      {{"a.dat", "a.dat", "a.dat"}, 2},
  };
  for (const Case& test : cases) {
    std::vector<DataFile> files;
    for (const std::string& name : test.names) files.push_back({name, name});
    std::vector<std::string> messages = findFileClashes(files, fakeRealPath);
    EXPECT_EQ(messages.size(), test.clashes) << test.names[0] << " " << test.names[1];
    if (messages.empty()) continue;
    // The message names both files.
    EXPECT_NE(messages[0].find("\"" + test.names[0] + "\""), std::string::npos) << messages[0];
  }
}

}  // namespace
}  // namespace dunax::manager
