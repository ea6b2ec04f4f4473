// Running DUNAXMF as its manager does, with the test doubles first on COB_LIBRARY_PATH: the
// scripted record-access program RECTEST, the recording screen library and VRDMSG.so with
// scripted answers. Each test gets a fresh directory, and the logs of all three.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace dunax::testing {

// Fields of a run parameter a test sets; everything else is spaces.
struct RunParameterFields {
  char direction = 'B';
  std::string program = "RECTEST";
  std::string dataFile = "dados.dat";
  std::string fieldB;
  char keyOption = ' ';
  std::string total = "00000002";
  std::string number = "00000001";
  std::string estimate = "000000000";
  std::string segments = "00";
  char ask = 'N';
};
std::string buildRunParameter(const RunParameterFields& fields);

// The served record i of RECTEST (1024 bytes).
std::string servedRecord(long number);

// One message-box call as VRDMSG.so logged it.
struct BoxCall {
  char answer;
  std::string block;  // the 246 bytes
  std::string line(int number) const;  // line 1-3 (60 characters) or line 4 (58)
};

class ConverterRunTest : public ::testing::Test {
 protected:
  ConverterRunTest() = default;
  // The run's files go to a fresh directory under parent.
  explicit ConverterRunTest(const std::string& parent) : directory(parent) {}

  // Runs the converter with the parameter as one argument, with the extra environment.
  RunResult convert(const std::string& parameter, std::vector<std::string> environment = {});
  // The same under a file-size limit of blocks x 512 bytes (SIGXFSZ ignored): writes past it
  // fail with EFBIG, as on a full disk. Through /bin/sh: POSIX hosts only.
  RunResult convertWithSizeLimit(const std::string& parameter, int blocks,
                                 std::vector<std::string> environment = {});

  std::vector<std::string> requestCodes() const;    // "TST", "ST ", ... from RECTEST's log
  std::vector<std::string> requestStatuses() const; // the status answered to each
  std::vector<BoxCall> boxCalls() const;
  std::vector<std::string> screenCalls() const;     // SP2TEST_LOG lines

  std::string path(const std::string& name) const { return directory.file(name); }
  // A copy of DUNAXMF alone in a folder of the test's own (no modules beside it); its folder.
  std::string copyOfTheConverter() const;

  TemporaryDirectory directory;
};

}  // namespace dunax::testing
