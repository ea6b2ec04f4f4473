// Helpers the tests share: a fresh temporary directory per test (or made the current one), the
// build tree's paths and file names, space-padded fields, running a program of the build with
// its output captured, environment variables (or one set for a scope), and files read and
// written whole. The same on POSIX and on Windows (test_support_posix.cpp,
// test_support_win32.cpp).
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace dunax::testing {

// The build tree (DUNAX_BUILD_DIR, set by CTest) and its program and module directories.
std::string buildDirectory();
std::string binDirectory();
std::string moduleDirectory();
std::string doublesDirectory();  // the converter's doubles

// The separator of COB_LIBRARY_PATH's directories and the endings of module and program files.
#ifdef _WIN32
inline constexpr char kLibraryPathSeparator = ';';
inline constexpr const char* kModuleSuffix = ".dll";
inline constexpr const char* kProgramSuffix = ".exe";
#else
inline constexpr char kLibraryPathSeparator = ':';
inline constexpr const char* kModuleSuffix = ".so";
inline constexpr const char* kProgramSuffix = "";
#endif

// text as a record's field of width bytes: cut there, or padded with spaces.
inline std::string padded(const std::string& text, std::size_t width) {
  std::string field = text.substr(0, width);
  field.resize(width, ' ');
  return field;
}

// The directories joined as COB_LIBRARY_PATH joins them.
std::string libraryPath(const std::vector<std::string>& directories);

// Sets an environment variable of this process, or removes it when value is null.
void setVariable(const std::string& name, const char* value);

// Sets an environment variable (removes it when value is null) until the end of the scope, then
// puts back what it was.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value);
  ~ScopedVariable();
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  std::string name_;
  std::optional<std::string> previous_;
};

// Makes a fresh directory under the system's temporary directory whose name starts with
// prefix, reachable by this user alone where the system has modes; "" when it cannot.
std::string makeTemporaryDirectory(const std::string& prefix);

// Whether the module file at path is loaded in this process now.
bool moduleIsLoaded(const std::string& path);

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

// A fresh temporary directory made the current directory while the object lives; the one
// current before is current again after, and the fresh one is removed.
class FreshCurrentDirectory {
 public:
  FreshCurrentDirectory();
  ~FreshCurrentDirectory();
  FreshCurrentDirectory(const FreshCurrentDirectory&) = delete;
  FreshCurrentDirectory& operator=(const FreshCurrentDirectory&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path previous_;
  TemporaryDirectory directory_;
  std::filesystem::path path_;
};

// The result of a program run.
struct RunResult {
  int exitCode = -1;  // -1 when it did not exit normally
  std::string output;  // standard output and standard error together
};

// Runs program (a path, without the ".exe" that Windows adds) with arguments in directory, with
// the extra environment entries ("NAME=value"), standard input from the null device and no
// terminal or console. Waits at most timeoutSeconds, then ends it.
RunResult runProgram(const std::string& program, const std::vector<std::string>& arguments,
                     const std::string& directory, const std::vector<std::string>& environment,
                     int timeoutSeconds = 300);

std::string readFile(const std::string& path);
// Writes content to path, making the directories above it that are missing.
bool writeFile(const std::string& path, const std::string& content);
bool fileExists(const std::string& path);
long long fileSize(const std::string& path);  // -1 when missing
std::vector<std::string> readLines(const std::string& path);

#ifndef _WIN32
// Runs body in a child process (fork) and returns its exit status; -1 when it was ended by a
// signal, or did not end by itself within guardSeconds (it is then killed): a guard for a
// case that would otherwise wait for ever.
int runInChildWithGuard(const std::function<int()>& body, int guardSeconds = 20);
#endif

}  // namespace dunax::testing
