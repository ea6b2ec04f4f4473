// The run parameter: the converter's 121-character command-line record, and its fields by
// 1-based position as the conversion manager lays them out.
#pragma once

#include <cstddef>
#include <string_view>

namespace dunax::converter {

inline constexpr std::size_t kRunParameterLength = 121;
inline constexpr std::size_t kCommandLineReadLength = 140;

// One field of the run parameter: its first position (from 1) and its width.
struct RunField {
  std::size_t position;
  std::size_t width;
  constexpr std::size_t offset() const { return position - 1; }
};

namespace run_fields {
inline constexpr RunField kDirection{1, 1};
inline constexpr RunField kProgramName{10, 8};
inline constexpr RunField kPassThroughA{18, 3};
inline constexpr RunField kPassThroughB{21, 10};
inline constexpr RunField kDataFileName{31, 50};
inline constexpr RunField kPassThroughC{81, 2};
inline constexpr RunField kPassThroughD{83, 1};
inline constexpr RunField kPassThroughE{84, 8};
inline constexpr RunField kKeyOption{92, 1};
inline constexpr RunField kTotalFiles{93, 8};
inline constexpr RunField kFileNumber{101, 8};
inline constexpr RunField kDays{109, 3};
inline constexpr RunField kHours{112, 2};
inline constexpr RunField kMinutes{114, 2};
inline constexpr RunField kSeconds{116, 2};
inline constexpr RunField kSegmentCount{118, 2};
inline constexpr RunField kPassThroughF{120, 1};
inline constexpr RunField kAskFlag{121, 1};
}  // namespace run_fields

struct RunParameter {
  char text[kRunParameterLength];

  const char* at(RunField field) const { return text + field.offset(); }
  std::string_view field(RunField field) const { return {at(field), field.width}; }
  char direction() const { return text[0]; }
  bool keyOption() const { return *at(run_fields::kKeyOption) == 'O'; }
  bool askOnFileError() const { return *at(run_fields::kAskFlag) == 'S'; }
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
