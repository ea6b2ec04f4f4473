// Helpers of the dunaxgen tests: running dunaxgen, cobc, the converter and the RM/COBOL side
// of the build in a directory, and the converter's run parameter.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace dunax::generator::testing {

using ::dunax::testing::binDirectory;
using ::dunax::testing::padded;
using ::dunax::testing::RunResult;
using ::dunax::testing::runProgram;

// Runs dunaxgen of the build with arguments in directory.
inline RunResult runGenerator(const std::vector<std::string>& arguments, const std::string& directory) {
  return runProgram(binDirectory() + "/dunaxgen", arguments, directory, {}, 120);
}

// Compiles a COBOL program of the test's own (cobc -x, in free format when freeFormat).
// Returns cobc's result.
inline RunResult compileProgram(const std::string& source, const std::string& program,
                                const std::string& directory, bool freeFormat = false) {
  std::vector<std::string> arguments = {"cobc", "-x", "-o", program, source};
  if (freeFormat) arguments.insert(arguments.begin() + 1, "-free");
  return runProgram("/usr/bin/env", arguments, directory, {}, 120);
}

// The converter's 121-character run parameter for one file, the first of one.
inline std::string runParameter(char direction, const std::string& program,
                                const std::string& dataFile, char keyOption = ' ') {
  std::string p(121, ' ');
  p[0] = direction;
  p.replace(9, 8, padded(program, 8));
  p.replace(30, 50, padded(dataFile, 50));
  p[91] = keyOption;
  p.replace(92, 8, "00000001");
  p.replace(100, 8, "00000001");
  p.replace(108, 9, "000000000");
  p.replace(117, 2, "00");
  p[120] = 'N';
  return p;
}

// Runs DUNAXMF in directory with the programs of moduleDirectory first on the search path.
inline RunResult runConverter(const std::string& parameter, const std::string& directory,
                              const std::string& moduleDirectory) {
  return runProgram(binDirectory() + "/DUNAXMF", {parameter}, directory,
                    {"COB_LIBRARY_PATH=" + moduleDirectory, "LC_ALL=C.UTF-8"}, 120);
}

// Copies a transfer file as the RM/COBOL side does.
inline RunResult runRmSide(const std::string& in, const std::string& out, const std::string& directory) {
  return runProgram(binDirectory() + "/dunaxrm", {in, out}, directory, {}, 120);
}

}  // namespace dunax::generator::testing
