// The run parameter as the converter reads it: the 121-character command-line record laid out
// in layouts/run_parameter.h, and what the converter asks of it.
#pragma once

#include <string_view>

#include "layouts/run_parameter.h"

namespace dunax::converter {

using layouts::kCommandLineReadLength;
using layouts::kRunParameterLength;

struct RunParameter : layouts::RunParameter {
  char direction() const { return layouts::RunParameter::direction[0]; }
  bool keyOption() const { return layouts::RunParameter::keyOption[0] == layouts::kAlternativeRequestCodes; }
  bool askOnFileError() const { return askFlag[0] == layouts::kAskOperator; }
};
static_assert(sizeof(RunParameter) == kRunParameterLength);

// Reads the run parameter from the command line: the arguments joined by single spaces, 140
// characters read, the first 121 kept and padded with spaces.
RunParameter readRunParameter(int argc, char** argv);

// Makes a run parameter from a text: its first 121 characters, padded with spaces.
RunParameter runParameterFromText(std::string_view text);

// The data file name up to its first space, at most 50 characters.
std::string_view dataFileNameUpToSpace(const RunParameter& parameter);

}  // namespace dunax::converter
