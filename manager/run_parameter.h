// The run parameter (layouts/run_parameter.h): the 121 bytes of Windows-1252 text the converter
// reads from its command line, built by the manager for each data file, and the checks of what
// may go into it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "layouts/run_parameter.h"
#include "platform/status.h"

namespace dunax::manager {

using layouts::kRunParameterLength;
// The run parameter (layouts::RunParameter) as the text of the converter's command line.
using RunParameterText = std::array<char, kRunParameterLength>;

// The most files one run can number (8 decimal digits).
inline constexpr std::uint64_t kMostFiles = 99999999;
static_assert(sizeof(layouts::RunParameter::totalFiles) == 8);
// The longest data file name, program name, in bytes of Windows-1252.
inline constexpr std::size_t kFileNameWidth = sizeof(layouts::RunParameter::dataFileName);
inline constexpr std::size_t kProgramWidth = sizeof(layouts::RunParameter::programName);

// What is the same for every file of a run. Text is Windows-1252 and already checked to fit.
struct RunSettings {
  char direction = 'B';  // 'B' or 'X'
  std::string program;   // the record-access program's name
  std::string fieldA, fieldB, fieldC, fieldD, fieldE, fieldF;  // passed on unchanged
  bool keyOption = false;  // "O": the alternative request codes
  bool ask = false;        // "S": ask the operator on a file error
};

// The remaining-time estimate as the converter shows it.
struct RemainingTime {
  unsigned days = 0;     // 0 to 999
  unsigned hours = 0;    // 0 to 23
  unsigned minutes = 0;  // 0 to 59
  unsigned seconds = 0;  // 0 to 59
};

// What changes from file to file.
struct FilePlace {
  std::string fileName;       // Windows-1252, checked by checkFileName
  std::uint64_t number = 1;   // this file's number in the run, from 1
  std::uint64_t total = 1;    // files in the run
  RemainingTime remaining;
  int segments = 0;           // extra transfer-file segments to read ("X"); 0 to 9
};

// Returns the run parameter for one file: every field space-padded (text) or zero-padded
// (numbers) to its width. Values wider than their field are cut to it (the checks below keep
// that from happening); numbers too large for their digits keep their last digits.
RunParameterText buildRunParameter(const RunSettings& settings, const FilePlace& place);

// A value or an argument refused, its words saying why (a line for the user).
inline platform::Status refusal(const std::string& words) {
  return platform::Status::failure(platform::StatusCode::InvalidName, words);
}

// Converts a UTF-8 value given on the command line to Windows-1252 and checks it fits width
// bytes. Returns the Windows-1252 value when it fits; otherwise fails (InvalidName) with a
// message naming label: the value is wider than the field, or cannot be written in Windows-1252
// (a character outside the code page, a control character, bytes that are not UTF-8).
platform::Expected<std::string> convertFieldValue(const std::string& label,
                                                  const std::string& utf8, std::size_t width);

// Checks a data file name (UTF-8, as given). Returns its Windows-1252 form when it can go into
// the run parameter; otherwise fails (InvalidName) with the reason: empty, holds a space, holds
// a character Windows-1252 cannot write (or a control character), or is over 50 bytes in
// Windows-1252.
platform::Expected<std::string> checkFileName(const std::string& utf8);

// Checks a record-access program name (UTF-8). Returns its Windows-1252 form when it fits;
// otherwise fails (InvalidName) with the reason: empty, holds a space, a character outside
// Windows-1252, or over 8 bytes.
platform::Expected<std::string> checkProgramName(const std::string& utf8);

}  // namespace dunax::manager
