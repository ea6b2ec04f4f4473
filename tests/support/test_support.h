// Helpers the tests share: a fresh temporary directory per test, the build tree's paths,
// running a program of the build with its output captured, and reading files whole.
#pragma once

#include <string>
#include <vector>

namespace dunax::testing {

// The build tree (DUNAX_BUILD_DIR, set by CTest) and its program and module directories.
std::string buildDirectory();
std::string binDirectory();
std::string moduleDirectory();
std::string doublesDirectory();  // the converter's doubles

// A fresh directory under the system's temporary directory (or under parent), removed with
// everything in it when the object goes.
class TemporaryDirectory {
 public:
  TemporaryDirectory();
  explicit TemporaryDirectory(const std::string& parent);
  ~TemporaryDirectory();
  TemporaryDirectory(const TemporaryDirectory&) = delete;
  TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// The result of a program run.
struct RunResult {
  int exitCode = -1;  // -1 when it did not exit normally
  std::string output;  // standard output and standard error together
};

// Runs program with arguments in directory, with the extra environment entries
// ("NAME=value"), standard input from /dev/null. Waits at most timeoutSeconds.
RunResult runProgram(const std::string& program, const std::vector<std::string>& arguments,
                     const std::string& directory, const std::vector<std::string>& environment,
                     int timeoutSeconds = 300);

std::string readFile(const std::string& path);
bool writeFile(const std::string& path, const std::string& content);
bool fileExists(const std::string& path);
long long fileSize(const std::string& path);  // -1 when missing
std::vector<std::string> readLines(const std::string& path);

}  // namespace dunax::testing
