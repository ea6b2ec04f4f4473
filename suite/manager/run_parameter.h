// The run parameter: the 121 bytes of Windows-1252 text the converter reads from its command
// line, built by the manager for each data file, and the checks of what may go into it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace dunax::manager {

inline constexpr std::size_t kRunParameterLength = 121;
using RunParameter = std::array<char, kRunParameterLength>;

// Where each field lies in the run parameter: offset from 0 and width in bytes.
struct FieldSpan {
  std::size_t offset;
  std::size_t width;
};
namespace field {
inline constexpr FieldSpan kDirection{0, 1};
inline constexpr FieldSpan kUnused{1, 8};
inline constexpr FieldSpan kProgram{9, 8};
inline constexpr FieldSpan kFieldA{17, 3};
inline constexpr FieldSpan kFieldB{20, 10};
inline constexpr FieldSpan kFileName{30, 50};
inline constexpr FieldSpan kFieldC{80, 2};
inline constexpr FieldSpan kFieldD{82, 1};
inline constexpr FieldSpan kFieldE{83, 8};
inline constexpr FieldSpan kKeyOption{91, 1};
inline constexpr FieldSpan kTotalFiles{92, 8};
inline constexpr FieldSpan kFileNumber{100, 8};
inline constexpr FieldSpan kDays{108, 3};
inline constexpr FieldSpan kHours{111, 2};
inline constexpr FieldSpan kMinutes{113, 2};
inline constexpr FieldSpan kSeconds{115, 2};
inline constexpr FieldSpan kSegments{117, 2};
inline constexpr FieldSpan kFieldF{119, 1};
inline constexpr FieldSpan kAskFlag{120, 1};
}  // namespace field
static_assert(field::kAskFlag.offset + field::kAskFlag.width == kRunParameterLength);

// The most files one run can number (8 decimal digits).
inline constexpr std::uint64_t kMostFiles = 99999999;
// The longest data file name, program name, in bytes of Windows-1252.
inline constexpr std::size_t kFileNameWidth = field::kFileName.width;
inline constexpr std::size_t kProgramWidth = field::kProgram.width;

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
RunParameter buildRunParameter(const RunSettings& settings, const FilePlace& place);

// Converts a UTF-8 value given on the command line to Windows-1252 and checks it fits width
// bytes. Returns an empty text and sets *out when it fits; otherwise a message naming label:
// the value is wider than the field, or cannot be written in Windows-1252 (a character outside
// the code page, a control character, bytes that are not UTF-8).
std::string convertFieldValue(const std::string& label, const std::string& utf8,
                              std::size_t width, std::string* out);

// Checks a data file name (UTF-8, as given) and sets *out to its Windows-1252 form.
// Returns an empty text when it can go into the run parameter; otherwise the reason: empty,
// holds a space, holds a character Windows-1252 cannot write (or a control character), or is
// over 50 bytes in Windows-1252.
std::string checkFileName(const std::string& utf8, std::string* out);

// Checks a record-access program name (UTF-8) and sets *out to its Windows-1252 form.
// Returns an empty text when it fits; otherwise the reason: empty, holds a space, a character
// outside Windows-1252, or over 8 bytes.
std::string checkProgramName(const std::string& utf8, std::string* out);

}  // namespace dunax::manager
