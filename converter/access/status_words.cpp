// The words of the COBOL file statuses the record-access programs and the transfer file give.
#include "converter/access/status_words.h"

#include <cstring>

#include "layouts/request_block.h"

namespace dunax::converter::access {
namespace {

struct StatusWords {
  char code[3];
  const char* meaning;
};

constexpr StatusWords kStatusWords[] = {
    {"00", "success"},
    {"02", "success, a duplicate alternate key"},
    {"04", "a record of the wrong length: a partial record at the end"},
    {"05", "an optional file that is not there"},
    {"07", "success, but the medium is not a reel"},
    {"10", "end of file"},
    {"14", "a relative record number too large"},
    {"21", "keys out of order"},
    {"22", "the key is already in the file"},
    {"23", "no record with that key"},
    {"24", "no room left in the file"},
    {"30", "a permanent input or output error"},
    {"31", "a file name that cannot be used: it is also another name of the file"},
    {"34", "no room left: the disk is full, the file-size limit or the segment limit is reached"},
    {"35", "the file is not there"},
    {"37", "no permission, or a file that cannot be opened that way"},
    {"38", "the file is locked"},
    {"39", "the file does not match what the program expects"},
    {"41", "the file is already open"},
    {"42", "the file is not open"},
    {"43", "no current record"},
    {"44", "a record longer than the record length"},
    {"46", "a read after the end of the file"},
    {"47", "the file is not open for reading"},
    {"48", "the file is not open for writing"},
    {"49", "the file is not open for changes"},
    {"90", "a request the program does not know"},
    {"91", "the program refused the request"},
    {"94", "the program is not in a state to answer"},
};

// "37" for the two opens: what was refused, said for the way the file was to be opened.
constexpr const char* kCannotOpenForReading =
    "cannot be opened for reading: no permission, or not a regular file (a directory, a FIFO, "
    "a device or a socket)";
constexpr const char* kCannotOpenForWriting =
    "cannot be opened for writing: no permission, or not a regular file that may be replaced "
    "(a directory, a symbolic link, a FIFO, a device or a socket)";

}  // namespace

const char* statusMeaning(platform::FileStatus status, std::string_view operation) {
  if (status.is(' ', ' ')) return "no answer: the record-access program was not reached";
  if (status.is('3', '7')) {
    if (operation == "open for reading") return kCannotOpenForReading;
    if (operation == "open for writing") return kCannotOpenForWriting;
  }
  for (const StatusWords& row : kStatusWords) {
    if (status.is(row.code[0], row.code[1])) return row.meaning;
  }
  if (status.code[0] == '9') return "an error of the record-access program's run-time";
  return "an unknown status";
}

std::string statusText(platform::FileStatus status) {
  std::string text = "status ";
  if (status.is(' ', ' ')) return text + "none";
  for (char c : status.code) {
    auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F) {
      text += c;
    } else {
      text += "/" + std::to_string(byte);
    }
  }
  return text;
}

std::string describeStatus(platform::FileStatus status, std::string_view operation) {
  return statusText(status) + " (" + statusMeaning(status, operation) + ")";
}

std::string failureWordsIn(const unsigned char* recordArea) {
  const unsigned char* area = recordArea + layouts::kTransferRecordLength;
  const std::size_t markLength = sizeof layouts::kFailureWordsMark - 1;
  if (std::memcmp(area, layouts::kFailureWordsMark, markLength) != 0) return {};
  std::string words;
  for (std::size_t i = markLength; i < markLength + layouts::kFailureWordsLength; ++i) {
    const unsigned char byte = area[i];
    if (byte == 0) break;
    // Windows-1252 text only: no control byte reaches the reason line.
    words += (byte >= 0x20 && byte != 0x7F) ? static_cast<char>(byte) : ' ';
  }
  while (!words.empty() && words.back() == ' ') words.pop_back();
  return words;
}

std::string recordNumberText(std::uint64_t number) {
  std::string digits = std::to_string(number);
  std::string text;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) text += ',';
    text += digits[i];
  }
  return text;
}

}  // namespace dunax::converter::access
