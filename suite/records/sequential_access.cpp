// RECSEQ's work on one fixed-length sequential data file: request codes, record length, file
// name and the statuses answered, on top of the platform's record file; written data files
// are published whole at the close.
#include "suite/records/sequential_access.h"

#include <cstring>
#include <string>

#include "platform/durable_files.h"
#include "platform/host_path.h"

namespace dunax::records {
namespace {

using platform::FileStatus;
using platform::OpenMode;
namespace status = platform::status;

bool isBlank(char c) { return c == ' ' || c == '\0'; }

// Leaves why the request failed in the record area, where the converter shows it beside the
// status (layouts/request_block.h): the mark, then the words, space-padded.
void leaveFailureWords(unsigned char* recordArea, const std::string& words) {
  unsigned char* area = recordArea + layouts::kTransferRecordLength;
  const std::size_t markLength = sizeof layouts::kFailureWordsMark - 1;
  std::memcpy(area, layouts::kFailureWordsMark, markLength);
  std::memset(area + markLength, ' ', layouts::kFailureWordsLength);
  std::memcpy(area + markLength, words.data(),
              words.size() < layouts::kFailureWordsLength ? words.size()
                                                          : layouts::kFailureWordsLength);
}

}  // namespace

Request parseRequest(const char* code) {
  using namespace layouts::request_code;
  auto is = [code](const char* text) { return std::memcmp(code, text, 3) == 0; };
  // The requests of every record first.
  if (is(kWrite) || is(kWriteByAlternateKey)) return Request::Write;
  if (is(kReadNext) || is(kReadNextByAlternateKey)) return Request::ReadNext;
  if (is(kOpenForReading)) return Request::OpenInput;
  if (is(kStart) || is(kStartByAlternateKey)) return Request::Start;
  if (is(kOpenForOutput)) return Request::OpenOutput;
  if (is(kClose)) return Request::Close;
  return Request::Unknown;
}

std::size_t parseRecordLength(const char* field, std::size_t width) {
  std::size_t first = 0;
  while (first < width && isBlank(field[first])) ++first;
  std::size_t end = width;
  while (end > first && isBlank(field[end - 1])) --end;
  if (first == end) return kMaxRecordLength;
  std::size_t value = 0;
  for (std::size_t i = first; i < end; ++i) {
    if (field[i] < '0' || field[i] > '9') return 0;
    value = value * 10 + static_cast<std::size_t>(field[i] - '0');
    if (value > kMaxRecordLength) return 0;
  }
  return value;
}

std::size_t extractFileName(const char* field, std::size_t width, char* out) {
  std::size_t length = 0;
  while (length < width && !isBlank(field[length])) {
    out[length] = field[length] == '\\' ? '/' : field[length];
    ++length;
  }
  out[length] = '\0';
  return length;
}

bool onlyPaddingPast(const char* record, std::size_t recordLength) {
  for (std::size_t i = recordLength; i < kMaxRecordLength; ++i) {
    if (!isBlank(record[i])) return false;
  }
  return true;
}

SequentialAccess::~SequentialAccess() {
  if (isOpen() && file_->mode() == OpenMode::Output) dropOutput();
}

void SequentialAccess::handle(RequestBlock& block) {
  FileStatus answer;
  switch (parseRequest(block.requestCode)) {
    case Request::OpenInput: answer = open(block, OpenMode::Input); break;
    case Request::Start: answer = start(); break;
    case Request::ReadNext: answer = readNext(block); break;
    case Request::OpenOutput: answer = open(block, OpenMode::Output); break;
    case Request::Write: answer = write(block); break;
    case Request::Close: answer = close(block); break;
    case Request::Unknown: answer = recseq_status::kUnknownRequest; break;
  }
  std::memcpy(block.fileStatus, answer.code, sizeof(block.fileStatus));
}

// Removes a temporary file that an earlier run left, then opens the data file for input, or
// its temporary file for output (after checking that the data file may be replaced).
// The name stays in the record's form (Windows-1252) for the platform's file routines; the
// record file opens its host form.
// Returns "41" when a file is already open, "39" for a bad record length, "35" (input) or "30"
// (output) for a blank name or one with no host form (an unmapped drive, a byte with no
// character), "37" (output) for a data file that may not be replaced (why in the record
// area's failure words), otherwise the record file's answer ("00", "35", "37" also for a file
// that is not a regular file, "30"). The temporary file takes no more permission than the
// data file has.
FileStatus SequentialAccess::open(RequestBlock& block, OpenMode mode) {
  if (isOpen()) return status::kAlreadyOpen;
  std::size_t length = parseRecordLength(block.passThroughB, sizeof(block.passThroughB));
  if (length == 0) return recseq_status::kBadRecordLength;
  const FileStatus badName =
      mode == OpenMode::Input ? status::kFileNotFound : status::kPermanentError;
  if (extractFileName(block.dataFileName, sizeof(block.dataFileName), path_) == 0) return badName;
  platform::Expected<std::string> hostPath = platform::hostNameFromRecord(path_);
  if (!hostPath) return badName;
  hostPath_ = std::move(*hostPath);
  discardTemporary(path_);
  std::string temporaryHostPath;
  if (mode == OpenMode::Output) {
    std::string why;
    FileStatus replaceable = checkReplaceable(path_, &why);
    if (!replaceable.ok()) {
      leaveFailureWords(block.recordArea, why);
      return replaceable;
    }
    char temporary[kMaxTemporaryNameLength + 1];
    temporaryNameOf(path_, temporary);
    platform::Expected<std::string> temporaryHost = platform::hostNameFromRecord(temporary);
    if (!temporaryHost) return badName;
    temporaryHostPath = std::move(*temporaryHost);
  }
  file_.reset();
  file_.emplace(platform::Organization::RecordSequential, length);
  // The temporary's directory is flushed by the publish, after the rename.
  file_->flushDirectoryAtClose(false);
  // The temporary file takes no more permission than the data file it is to replace has.
  FileStatus answer =
      mode == OpenMode::Output
          ? file_->open(temporaryHostPath.c_str(), mode, hostPath_.c_str())
          : file_->open(hostPath_.c_str(), mode);
  if (!answer.ok()) {
    file_.reset();
    return answer;
  }
  // The data file keeps its content until the publish, but not its cached pages: the records
  // written beside it take those over instead of fresh memory.
  if (mode == OpenMode::Output) platform::releaseCachedPages(hostPath_.c_str());
  recordLength_ = length;
  readSinceStart_ = false;
  readFailed_ = false;
  writeFailure_ = status::kSuccess;
  return answer;
}

// Returns "00" with the file positioned before its first record (reopened when records were
// read); "42" when no file is open; "47" when it is open for output; the reopen's status
// otherwise (the file is then closed).
FileStatus SequentialAccess::start() {
  if (!isOpen()) return status::kNotOpen;
  if (file_->mode() != OpenMode::Input) return status::kNotOpenForInput;
  if (!readSinceStart_) return status::kSuccess;
  file_->close();
  FileStatus answer = file_->open(hostPath_.c_str(), OpenMode::Input);
  if (!answer.ok()) {
    file_.reset();
    return answer;
  }
  readSinceStart_ = false;
  readFailed_ = false;
  return answer;
}

// Returns "00" with the record in the first recordLength_ bytes of the record area and spaces
// after it; "10" at end of file; "30" for a trailing partial record (shorter than the record
// length; the failure words say how many bytes were left) and "46" for every read after it; "42" when no file is open; "47" when it is open
// for output; the record file's "46" or "30" otherwise.
FileStatus SequentialAccess::readNext(RequestBlock& block) {
  if (!isOpen()) return status::kNotOpen;
  if (file_->mode() != OpenMode::Input) return status::kNotOpenForInput;
  readSinceStart_ = true;
  if (readFailed_) return status::kReadAfterEnd;
  FileStatus answer = file_->readNext(block.recordArea);
  if (answer == status::kLengthMismatch) {
    readFailed_ = true;
    const std::size_t left = file_->partialRecordBytes();
    leaveFailureWords(block.recordArea, std::to_string(left) + (left == 1 ? " byte" : " bytes") +
                                 " left at the end, not a whole record");
    return recseq_status::kPartialRecord;
  }
  if (answer.ok()) {
    std::memset(block.recordArea + recordLength_, ' ', sizeof(block.recordArea) - recordLength_);
  }
  return answer;
}

// Returns "00" with the first recordLength_ bytes of the record area written; "42" when no file
// is open; "48" when it is open for input; "44", writing nothing, when the transfer record holds
// anything but padding past the record length; the record file's "34" (no room) or "30"
// otherwise. The first failure is kept for the close.
FileStatus SequentialAccess::write(const RequestBlock& block) {
  if (!isOpen()) return status::kNotOpen;
  if (file_->mode() != OpenMode::Output) return status::kNotOpenForOutput;
  FileStatus answer = onlyPaddingPast(reinterpret_cast<const char*>(block.recordArea), recordLength_)
                          ? file_->write(block.recordArea)
                          : recseq_status::kRecordTooLong;
  if (!answer.ok() && writeFailure_.ok()) writeFailure_ = answer;
  return answer;
}

// Returns "00"; "42" when no file is open. For output, the records are written out and flushed
// to the disk and the temporary file renamed over the data file; a write that failed since
// "OU " answers its own status, records that could not be written or flushed "34"/"30", a
// failed rename "34"/"30": the temporary file is then removed and the data file is left as it
// was. The file is closed in every case.
FileStatus SequentialAccess::close(const RequestBlock& block) {
  if (!isOpen()) return status::kNotOpen;
  if (file_->mode() != OpenMode::Output) {
    FileStatus answer = file_->close();
    file_.reset();
    return answer;
  }
  if (std::memcmp(block.recordArea, kDiscardWrittenRecords, sizeof kDiscardWrittenRecords - 1) == 0) {
    // The conversion failed or was stopped: what was written is not the user's data.
    dropOutput();
    return status::kSuccess;
  }
  if (!writeFailure_.ok()) {
    FileStatus answer = writeFailure_;
    dropOutput();
    return answer;
  }
  FileStatus answer = file_->close();
  file_.reset();
  if (!answer.ok()) {
    discardTemporary(path_);
    return answer;
  }
  return publish(path_);
}

// Closes an output file without publishing it and removes its temporary file.
void SequentialAccess::dropOutput() {
  file_->close();
  file_.reset();
  discardTemporary(path_);
}

}  // namespace dunax::records
