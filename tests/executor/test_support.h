// Helpers of the executor's tests: a fresh temporary directory per test (made the current
// directory), small file helpers, an environment variable set for one scope, and requests built
// as a client builds them.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "executor/job.h"

namespace dunax::executor::testing {

namespace fs = std::filesystem;

class TempDirectoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = fs::current_path();
    char pattern[] = "/tmp/dunax-exec-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    fs::current_path(root_);
  }
  void TearDown() override {
    fs::current_path(previous_);
    std::error_code ignored;
    fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(root_, ignored);
  }
  const fs::path& root() const { return root_; }

 private:
  fs::path previous_;
  fs::path root_;
};

inline void writeFile(const fs::path& path, const std::string& contents) {
  if (path.has_parent_path()) fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out << contents;
}

inline std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Sets an environment variable (unsets it when value is null) until the end of the scope, then
// puts back what it was.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    if (const char* previous = std::getenv(name)) previous_ = previous;
    set(value);
  }
  ~ScopedVariable() { set(previous_ ? previous_->c_str() : nullptr); }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  void set(const char* value) {
    if (value != nullptr) {
      setenv(name_.c_str(), value, 1);
    } else {
      unsetenv(name_.c_str());
    }
  }
  std::string name_;
  std::optional<std::string> previous_;
};

// A request as a client posts it: tag, stamp "12345678", type "PERG", verb, arguments, and a
// recognisable rest.
inline Job makeJob(const std::string& verb, const std::string& argument1 = "",
                   const std::string& argument2 = "") {
  Job job;
  std::memset(&job.record, ' ', sizeof job.record);
  std::memcpy(&job.record, "#VRD#12345678PERG", 17);
  putPadded(job.record.verb, 5, verb);
  putPadded(job.record.argument1, 80, argument1);
  putPadded(job.record.argument2, 80, argument2);
  for (std::size_t i = 0; i < sizeof job.record.rest; ++i) {
    job.record.rest[i] = static_cast<char>('a' + i % 26);
  }
  job.errorFlag = kFlagSuccess;
  return job;
}

inline std::string argument1Of(const Job& job) { return std::string(job.record.argument1, 80); }
inline std::string argument2Of(const Job& job) { return std::string(job.record.argument2, 80); }
inline std::string padded(const std::string& text, std::size_t width = 80) {
  std::string out = text.substr(0, width);
  out.resize(width, ' ');
  return out;
}

}  // namespace dunax::executor::testing
