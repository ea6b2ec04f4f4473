// Building the run parameter field by field, and the checks of the values that go into it.
#include "suite/manager/run_parameter.h"

#include <algorithm>

#include "platform/text_encoding.h"

namespace dunax::manager {
namespace {

void putText(RunParameter& parameter, FieldSpan span, const std::string& text) {
  std::size_t length = std::min(text.size(), span.width);
  std::copy_n(text.begin(), length, parameter.begin() + static_cast<long>(span.offset));
}

void putNumber(RunParameter& parameter, FieldSpan span, std::uint64_t value) {
  for (std::size_t i = span.width; i > 0; --i) {
    parameter[span.offset + i - 1] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
}

// Returns true when every character of utf8 has a Windows-1252 byte that shows as itself
// (no control characters, nothing replaced by "?").
bool writableInWindows1252(const std::string& utf8, const std::string& converted) {
  std::string back;
  platform::appendUtf8FromWindows1252(converted.data(), converted.size(), back);
  return back == utf8;
}

std::string describeBytes(std::size_t bytes) {
  return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
}

}  // namespace

RunParameter buildRunParameter(const RunSettings& settings, const FilePlace& place) {
  RunParameter parameter;
  parameter.fill(' ');
  parameter[field::kDirection.offset] = settings.direction;
  putText(parameter, field::kProgram, settings.program);
  putText(parameter, field::kFieldA, settings.fieldA);
  putText(parameter, field::kFieldB, settings.fieldB);
  putText(parameter, field::kFileName, place.fileName);
  putText(parameter, field::kFieldC, settings.fieldC);
  putText(parameter, field::kFieldD, settings.fieldD);
  putText(parameter, field::kFieldE, settings.fieldE);
  if (settings.keyOption) parameter[field::kKeyOption.offset] = 'O';
  putNumber(parameter, field::kTotalFiles, place.total);
  putNumber(parameter, field::kFileNumber, place.number);
  putNumber(parameter, field::kDays, place.remaining.days);
  putNumber(parameter, field::kHours, place.remaining.hours);
  putNumber(parameter, field::kMinutes, place.remaining.minutes);
  putNumber(parameter, field::kSeconds, place.remaining.seconds);
  putNumber(parameter, field::kSegments,
            settings.direction == 'X' ? static_cast<std::uint64_t>(place.segments) : 0);
  putText(parameter, field::kFieldF, settings.fieldF);
  parameter[field::kAskFlag.offset] = settings.ask ? 'S' : 'N';
  return parameter;
}

std::string convertFieldValue(const std::string& label, const std::string& utf8,
                              std::size_t width, std::string* out) {
  std::string converted = platform::windows1252FromUtf8(utf8);
  if (!writableInWindows1252(utf8, converted)) {
    return label + " \"" + utf8 + "\" cannot be written in Windows-1252 (a character outside the code page, a control character or bytes that are not UTF-8)";
  }
  if (converted.size() > width) {
    return label + " \"" + utf8 + "\" is " + describeBytes(converted.size()) +
           " in Windows-1252; the field holds " + describeBytes(width);
  }
  *out = converted;
  return {};
}

std::string checkFileName(const std::string& utf8, std::string* out) {
  if (utf8.empty()) return "an empty data file name";
  if (utf8.find(' ') != std::string::npos) {
    return "the data file name \"" + utf8 +
           "\" holds a space (the converter takes the name up to its first space)";
  }
  return convertFieldValue("the data file name", utf8, kFileNameWidth, out);
}

std::string checkProgramName(const std::string& utf8, std::string* out) {
  if (utf8.empty()) return "an empty record-access program name";
  if (utf8.find(' ') != std::string::npos) {
    return "the record-access program name \"" + utf8 + "\" holds a space";
  }
  return convertFieldValue("the record-access program name", utf8, kProgramWidth, out);
}

}  // namespace dunax::manager
