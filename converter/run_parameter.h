// The run parameter as the converter reads it: the 121-character command-line record laid out
// in layouts/run_parameter.h (the one RunParameter), and what the converter asks of it.
#pragma once

#include <string_view>

#include "layouts/run_parameter.h"

namespace dunax::converter {

using layouts::kCommandLineReadLength;
using layouts::kRunParameterLength;

using layouts::RunParameter;

// The direction: 'B' data file to transfer file, 'X' back (anything else is refused).
inline char directionOf(const RunParameter& parameter) { return parameter.direction[0]; }
// True when the run uses the alternative request codes ("O").
inline bool usesAlternativeCodes(const RunParameter& parameter) {
  return parameter.keyOption[0] == layouts::kAlternativeRequestCodes;
}
// True when the operator is asked on a file error ("S").
inline bool asksOnFileError(const RunParameter& parameter) {
  return parameter.askFlag[0] == layouts::kAskOperator;
}

// Reads the run parameter from the command line: the arguments joined by single spaces, 140
// characters read, the first 121 kept and padded with spaces.
RunParameter readRunParameter(int argc, char** argv);

// Makes a run parameter from a text: its first 121 characters, padded with spaces.
RunParameter runParameterFromText(std::string_view text);

// The data file name up to its first space, at most 50 characters.
std::string_view dataFileNameUpToSpace(const RunParameter& parameter);

}  // namespace dunax::converter
