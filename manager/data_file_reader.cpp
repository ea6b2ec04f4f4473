// The requests that read a data file through its record-access program, as a conversion makes
// them, and the words of their failures.
#include "manager/data_file_reader.h"

#include <cstring>
#include <tuple>


namespace dunax::manager {
namespace {

namespace codes = layouts::request_code;

// The status as the reasons show it: "status 35", a byte that is not printable as "/NNN".
std::string statusText(layouts::StatusPair status) {
  std::string text = "status ";
  for (const char c : {status.first, status.second}) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F) {
      text += c;
    } else {
      text += "/" + std::to_string(byte);
    }
  }
  return text;
}

// The program's words after a failure (layouts/request_block.h): printable bytes after the
// mark, trailing spaces cut; empty without a mark.
std::string failureWords(const unsigned char* recordArea) {
  const unsigned char* mark = recordArea + layouts::kTransferRecordLength;
  const std::size_t markLength = sizeof layouts::kFailureWordsMark - 1;
  if (std::memcmp(mark, layouts::kFailureWordsMark, markLength) != 0) return {};
  std::string words;
  for (std::size_t at = 0; at < layouts::kFailureWordsLength; ++at) {
    const unsigned char byte = mark[markLength + at];
    if (byte == 0) break;
    words += byte >= 0x20 && byte != 0x7F ? static_cast<char>(byte) : '?';
  }
  const std::size_t last = words.find_last_not_of(' ');
  return last == std::string::npos ? std::string() : words.substr(0, last + 1);
}

}  // namespace

DataFileReader::DataFileReader(const RunSettings& settings)
    : settings_(settings), program_(settings.program) {}

layouts::StatusPair DataFileReader::issue(const char code[3]) {
  std::memcpy(block_.requestCode, code, sizeof block_.requestCode);
  // Words of why a request failed are only ever those of this request.
  unsigned char* mark = block_.recordArea + layouts::kTransferRecordLength;
  if (std::memcmp(mark, layouts::kFailureWordsMark, sizeof layouts::kFailureWordsMark - 1) == 0) {
    std::memset(mark, ' ', sizeof layouts::kFailureWordsMark - 1);
  }
  const platform::Expected<int> called = program_.call(&block_);
  if (!called) {
    why_ = "the record-access program " + program_.name() + " cannot be called (" +
           called.status().message() + ")";
    return {' ', ' '};
  }
  return {block_.fileStatus[0], block_.fileStatus[1]};
}

void DataFileReader::noteFailure(const char* operation, layouts::StatusPair status) {
  if (status == layouts::StatusPair{' ', ' '} && !why_.empty()) return;  // not reached
  why_ = operation;
  why_ += ": ";
  if (std::strcmp(operation, "read") == 0) {
    why_ += "record " + std::to_string(records_ + 1) + ": ";
  }
  const std::string words = failureWords(block_.recordArea);
  why_ += words.empty() ? statusText(status) : words + " (" + statusText(status) + ")";
}

bool DataFileReader::open(const std::string& dataName) {
  close();
  why_.clear();
  records_ = 0;
  started_ = false;
  // The block as the converter fills it from the run parameter it would be given.
  FilePlace place;
  place.fileName = dataName;
  const RunParameterText text = buildRunParameter(settings_, place);
  layouts::RunParameter parameter;
  static_assert(sizeof parameter == std::tuple_size_v<RunParameterText>);
  std::memcpy(&parameter, text.data(), sizeof parameter);
  layouts::fillRequestBlock(block_, parameter);
  const layouts::StatusPair opened = issue(codes::kOpenForReading);
  if (!layouts::deliveredRecord(opened)) {
    noteFailure("open for reading", opened);
    program_.release();
    return false;
  }
  open_ = true;
  std::memset(block_.recordArea, 0, sizeof block_.recordArea);
  return true;
}

ReadEnd DataFileReader::next() {
  if (!open_) return ReadEnd::Failed;
  layouts::StatusPair status{};
  const char* operation = "read";
  if (!started_) {
    started_ = true;
    status = issue(settings_.keyOption ? codes::kStartByAlternateKey : codes::kStart);
    operation = "start";
    if (layouts::deliveredRecord(status)) {
      status = issue(settings_.keyOption ? codes::kReadNextByAlternateKey : codes::kReadNext);
      operation = "read";
    }
  } else {
    status = issue(codes::kReadNext);
  }
  if (layouts::deliveredRecord(status)) {
    ++records_;
    return ReadEnd::Record;
  }
  if (layouts::endOfData(status)) return ReadEnd::End;
  noteFailure(operation, status);
  return ReadEnd::Failed;
}

void DataFileReader::close() {
  if (!open_) return;
  open_ = false;
  std::memset(block_.recordArea, ' ', sizeof block_.recordArea);
  (void)issue(codes::kClose);
  program_.release();
}

}  // namespace dunax::manager
