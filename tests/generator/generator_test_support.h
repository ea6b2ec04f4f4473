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

// Runs the program of the build named tool (dunaxgen, dunaxrm, DUNAXMF) with arguments in
// directory, with the extra environment entries. Returns its result.
inline RunResult runTool(const std::string& tool, const std::vector<std::string>& arguments,
                         const std::string& directory, const std::vector<std::string>& environment = {}) {
  return runProgram(binDirectory() + "/" + tool, arguments, directory, environment, 120);
}

// The converter's 121-character run parameter for one file, the first of one.
inline std::string runParameter(char direction, const std::string& program,
                                const std::string& dataFile, char keyOption = ' ') {
  return direction + std::string(8, ' ') + padded(program, 8) + std::string(13, ' ') +
         padded(dataFile, 50) + std::string(11, ' ') + keyOption + "0000000100000001000000000" + "00 N";
}

}  // namespace dunax::generator::testing
