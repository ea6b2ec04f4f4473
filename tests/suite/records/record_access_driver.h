// Test helpers for the record-access programs: a fresh temporary directory per test, and a
// driver that fills a request block as the converter does and calls a program by name through
// the platform, from the build tree's lib/dunax.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/program_call.h"
#include "suite/records/request_block.h"
#include "tests/support/test_support.h"

namespace dunax::records::testing {

// The build tree the test runs from (DUNAX_BUILD_DIR, set by CTest).
inline std::string buildDirectory() {
  const char* dir = std::getenv("DUNAX_BUILD_DIR");
  return dir != nullptr ? dir : "";
}

// A fresh directory under the system's temporary directory, removed at the end of the test.
class TemporaryDirectory {
 public:
  TemporaryDirectory() : path_(::dunax::testing::makeTemporaryDirectory("dunax-rec-")) {}
  ~TemporaryDirectory() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline std::string readWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeWholeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The request block of one data file, filled once as the converter fills it, and the program
// called by name with it.
class RecordAccessDriver {
 public:
  // fieldB is pass-through field B (10 characters, space-padded here).
  RecordAccessDriver(const char* programName, const std::string& fileName,
                     const std::string& fieldB = "")
      : program_(programName) {
    ::dunax::testing::setVariable("COB_LIBRARY_PATH", (buildDirectory() + "/lib/dunax").c_str());
    std::memset(&block_, 0, sizeof(block_));
    block_.blockVersion[0] = layouts::kRequestBlockVersion;
    std::memset(block_.passThroughB, ' ', sizeof(block_.passThroughB));
    std::memcpy(block_.passThroughB, fieldB.data(), std::min(fieldB.size(), sizeof(block_.passThroughB)));
    std::memset(block_.zeros, '0', sizeof(block_.zeros));
    std::memset(block_.dataFileName, ' ', sizeof(block_.dataFileName));
    std::memcpy(block_.dataFileName, fileName.data(),
                std::min(fileName.size(), sizeof(block_.dataFileName)));
    block_.separator[0] = ' ';
  }

  // Issues the request code (3 characters) and returns the status answered, or "NF" when the
  // program could not be called. "CL " releases the program afterwards, as the converter does.
  std::string request(const char* code) {
    std::memcpy(block_.requestCode, code, 3);
    std::memcpy(block_.fileStatus, "??", 2);
    platform::Expected<int> result = program_.call(&block_);
    if (!result) return "NF:" + result.status().message();
    std::string status(block_.fileStatus, 2);
    if (std::memcmp(code, "CL ", 3) == 0) program_.release();
    return status;
  }

  // Writes record (at most 1024 bytes) as the converter does: the record, then spaces to 2048.
  std::string write(const std::string& record, const char* code = "WR ") {
    std::memset(block_.recordArea, ' ', sizeof(block_.recordArea));
    std::memcpy(block_.recordArea, record.data(), std::min(record.size(), kMaxRecordLength));
    return request(code);
  }

  // Positions before the first record with the record area zeroed, as the converter does.
  std::string start(const char* code = "ST ") {
    std::memset(block_.recordArea, 0, sizeof(block_.recordArea));
    return request(code);
  }

  // Reads the next record; the first length bytes of the record area land in record.
  std::string read(std::string& record, std::size_t length, const char* code = "RN ") {
    std::string status = request(code);
    record.assign(reinterpret_cast<const char*>(block_.recordArea), length);
    return status;
  }

  RequestBlock& block() { return block_; }
  platform::OutsideProgram& program() { return program_; }

 private:
  platform::OutsideProgram program_;
  RequestBlock block_;
};

// A record of length bytes that differs from its neighbours and holds every byte value,
// zero bytes and 0xFF included.
inline std::string makeRecord(std::size_t number, std::size_t length) {
  std::string record(length, '\0');
  for (std::size_t i = 0; i < length; ++i) {
    record[i] = static_cast<char>((number * 7 + i * 13 + (i >> 8)) & 0xFF);
  }
  return record;
}

// Opens dataFile for output through the module NAME.so (NAME.dll) of the build and closes it again: the
// module is loaded while the file is open and really unloaded after "CL ".
inline void expectModuleUnloadedAfterClose(const char* name, const std::string& dataFile) {
  const std::string module =
      buildDirectory() + "/lib/dunax/" + std::string(name) + ::dunax::testing::kModuleSuffix;
  RecordAccessDriver data(name, dataFile);
  ASSERT_EQ(data.request("OU "), "00");
  ASSERT_TRUE(::dunax::testing::moduleIsLoaded(module)) << "the module is loaded while its file is open";
  ASSERT_EQ(data.request("CL "), "00");
  EXPECT_FALSE(::dunax::testing::moduleIsLoaded(module));
}

}  // namespace dunax::records::testing
