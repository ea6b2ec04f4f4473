// Building the run parameter field by field, and the checks of the values that go into it.
#include "manager/run_parameter.h"

#include <cstring>

#include "layouts/byte_fields.h"
#include "platform/text_encoding.h"

namespace dunax::manager {
namespace {

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

RunParameterText buildRunParameter(const RunSettings& settings, const FilePlace& place) {
  using layouts::putDigits;
  using layouts::putPadded;
  layouts::RunParameter fields;
  std::memset(&fields, ' ', sizeof fields);
  fields.direction[0] = settings.direction;
  putPadded(fields.programName, settings.program);
  putPadded(fields.passThroughA, settings.fieldA);
  putPadded(fields.passThroughB, settings.fieldB);
  putPadded(fields.dataFileName, place.fileName);
  putPadded(fields.passThroughC, settings.fieldC);
  putPadded(fields.passThroughD, settings.fieldD);
  putPadded(fields.passThroughE, settings.fieldE);
  if (settings.keyOption) fields.keyOption[0] = layouts::kAlternativeRequestCodes;
  putDigits(fields.totalFiles, place.total);
  putDigits(fields.fileNumber, place.number);
  putDigits(fields.remainingDays, place.remaining.days);
  putDigits(fields.remainingHours, place.remaining.hours);
  putDigits(fields.remainingMinutes, place.remaining.minutes);
  putDigits(fields.remainingSeconds, place.remaining.seconds);
  putDigits(fields.extraSegments, settings.direction == layouts::kDirectionFromTransferFile
                                      ? static_cast<std::uint64_t>(place.segments)
                                      : 0);
  putPadded(fields.passThroughF, settings.fieldF);
  fields.askFlag[0] = settings.ask ? layouts::kAskOperator : layouts::kDoNotAsk;
  RunParameterText parameter;
  std::memcpy(parameter.data(), &fields, sizeof fields);
  return parameter;
}

platform::Expected<std::string> convertFieldValue(const std::string& label,
                                                  const std::string& utf8, std::size_t width) {
  std::string converted = platform::windows1252FromUtf8(utf8);
  if (!writableInWindows1252(utf8, converted)) {
    return refusal(label + " \"" + utf8 + "\" cannot be written in Windows-1252 (a character outside the code page, a control character or bytes that are not UTF-8)");
  }
  if (converted.size() > width) {
    return refusal(label + " \"" + utf8 + "\" is " + describeBytes(converted.size()) +
                   " in Windows-1252; the field holds " + describeBytes(width));
  }
  return converted;
}

platform::Expected<std::string> checkFileName(const std::string& utf8) {
  if (utf8.empty()) return refusal("an empty data file name");
  if (utf8.find(' ') != std::string::npos) {
    return refusal("the data file name \"" + utf8 +
                   "\" holds a space (the converter takes the name up to its first space)");
  }
  return convertFieldValue("the data file name", utf8, kFileNameWidth);
}

platform::Expected<std::string> checkProgramName(const std::string& utf8) {
  if (utf8.empty()) return refusal("an empty record-access program name");
  if (utf8.find(' ') != std::string::npos) {
    return refusal("the record-access program name \"" + utf8 + "\" holds a space");
  }
  return convertFieldValue("the record-access program name", utf8, kProgramWidth);
}

}  // namespace dunax::manager
