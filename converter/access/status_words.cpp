// The words of the COBOL file statuses the record-access programs and the transfer file give.
#include "converter/access/status_words.h"

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
    {"37", "no permission, or a name that is not a file that may be written"},
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

}  // namespace

const char* statusMeaning(platform::FileStatus status) {
  if (status.is(' ', ' ')) return "no answer: the record-access program was not reached";
  for (const StatusWords& row : kStatusWords) {
    if (status.is(row.code[0], row.code[1])) return row.meaning;
  }
  if (status.code[0] == '9') return "an error of the record-access program's run-time";
  return "an unknown status";
}

std::string describeStatus(platform::FileStatus status) {
  std::string text = "status ";
  if (status.is(' ', ' ')) {
    text += "none";
  } else {
    for (char c : status.code) {
      auto byte = static_cast<unsigned char>(c);
      if (byte >= 0x20 && byte < 0x7F) {
        text += c;
      } else {
        text += "/" + std::to_string(byte);
      }
    }
  }
  return text + " (" + statusMeaning(status) + ")";
}

}  // namespace dunax::converter::access
