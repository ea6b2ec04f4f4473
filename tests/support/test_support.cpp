// The tests' shared helpers that are the same on every system: the build tree's paths, the
// temporary directory's lifetime (also as the current one), a variable set for a scope, and
// reading and writing files.
#include "tests/support/test_support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace dunax::testing {

std::string buildDirectory() {
  const char* dir = std::getenv("DUNAX_BUILD_DIR");
  return dir ? dir : "build";
}
std::string binDirectory() { return buildDirectory() + "/bin"; }
std::string moduleDirectory() { return buildDirectory() + "/lib/dunax"; }
std::string doublesDirectory() { return buildDirectory() + "/tests/doubles/converter"; }

std::string libraryPath(const std::vector<std::string>& directories) {
  std::string joined;
  for (const std::string& directory : directories) {
    if (!joined.empty()) joined += kLibraryPathSeparator;
    joined += directory;
  }
  return joined;
}

TemporaryDirectory::TemporaryDirectory() : path_(makeTemporaryDirectory("dunax-test-")) {}

TemporaryDirectory::TemporaryDirectory(const std::string& parent) {
  std::random_device random;
  for (int tries = 0; tries < 100 && path_.empty(); ++tries) {
    const std::string candidate = parent + "/dunax-test-" + std::to_string(random());
    std::error_code error;
    if (std::filesystem::create_directory(candidate, error)) path_ = candidate;
  }
}

TemporaryDirectory::~TemporaryDirectory() {
  if (path_.empty()) return;
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

FreshCurrentDirectory::FreshCurrentDirectory()
    : previous_(std::filesystem::current_path()), path_(directory_.path()) {
  std::filesystem::current_path(path_);
}

FreshCurrentDirectory::~FreshCurrentDirectory() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);  // before the directory goes
}

ScopedVariable::ScopedVariable(const char* name, const char* value) : name_(name) {
  if (const char* previous = std::getenv(name)) previous_ = previous;
  setVariable(name_, value);
}

ScopedVariable::~ScopedVariable() { setVariable(name_, previous_ ? previous_->c_str() : nullptr); }

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

bool writeFile(const std::string& path, const std::string& content) {
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  std::error_code ignored;
  if (!parent.empty()) std::filesystem::create_directories(parent, ignored);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
  return static_cast<bool>(out);
}

bool fileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

long long fileSize(const std::string& path) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  return error ? -1 : static_cast<long long>(size);
}

std::vector<std::string> readLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

}  // namespace dunax::testing
