// RECSEQ's work: fixed-length sequential data files reached through the request block. The
// request codes, the record length taken from pass-through field B and the statuses answered
// are described at the top of recseq.cpp; this header holds the plain functions and the state
// of one open data file, so that tests can drive them without loading the module.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "platform/file_status.h"
#include "platform/record_file.h"
#include "suite/records/data_file_publication.h"
#include "suite/records/request_block.h"

namespace dunax::records {

// What a request code asks for. Codes are three characters, space-padded.
enum class Request {
  OpenInput,   // "TST"
  Start,       // "ST ", "AST"
  ReadNext,    // "RN ", "ARN"
  OpenOutput,  // "OU "
  Write,       // "WR ", "AWR"
  Close,       // "CL "
  Unknown,     // anything else
};

// Returns the request the 3-character code names, Unknown for any other code.
Request parseRequest(const char* code);

// Reads the record length from a pass-through field of width bytes: a decimal number with
// leading and trailing spaces (or zero bytes) ignored. Returns 1 to kMaxRecordLength; the
// longest record (kMaxRecordLength) when the field is blank; 0 when the field holds anything
// else (another character, a space between digits, 0, or a number above kMaxRecordLength).
std::size_t parseRecordLength(const char* field, std::size_t width);

// Copies the data file name out of a name field of width bytes into out (width + 1 bytes):
// the bytes up to the first space or zero byte, with "\" turned into "/", NUL-terminated.
// Returns the name's length; 0 for a blank name.
std::size_t extractFileName(const char* field, std::size_t width, char* out);

// Whether the bytes of a transfer record past the record length are padding only: every byte
// of record[recordLength] to record[kMaxRecordLength - 1] is a space or a zero byte.
bool onlyPaddingPast(const char* record, std::size_t recordLength);

// Statuses RECSEQ answers besides those of the record file.
namespace recseq_status {
inline constexpr platform::FileStatus kBadRecordLength{'3', '9'};  // field B is not 1 to 1024
inline constexpr platform::FileStatus kRecordTooLong{'4', '4'};    // data past the record length
inline constexpr platform::FileStatus kPartialRecord{'3', '0'};    // trailing partial record
inline constexpr platform::FileStatus kUnknownRequest{'9', '0'};   // a code RECSEQ does not know
}  // namespace recseq_status

// One data file at a time, opened by "TST" or "OU " and closed by "CL ". Output goes to the
// data file's temporary file, published over the data file by a "CL " after which nothing
// failed (data_file_publication.h).
class SequentialAccess {
 public:
  SequentialAccess() noexcept = default;
  ~SequentialAccess();  // an output file never closed by "CL " is dropped, never published
  SequentialAccess(const SequentialAccess&) = delete;
  SequentialAccess& operator=(const SequentialAccess&) = delete;

  // Carries out the request in block and writes its status into block.fileStatus. Never fails in
  // any other way; every outcome is a status (listed at the top of recseq.cpp).
  void handle(RequestBlock& block);

  bool isOpen() const { return file_.has_value() && file_->isOpen(); }

 private:
  platform::FileStatus open(RequestBlock& block, platform::OpenMode mode);
  platform::FileStatus start();
  platform::FileStatus readNext(RequestBlock& block);
  platform::FileStatus write(const RequestBlock& block);
  platform::FileStatus close(const RequestBlock& block);
  void dropOutput();

  std::optional<platform::RecordFile> file_;
  std::size_t recordLength_ = 0;
  char path_[sizeof(RequestBlock::dataFileName) + 1] = {};  // the record's form, "/" separators
  std::string hostPath_;                                 // its host form, opened for input
  bool readSinceStart_ = false;  // a read was issued since the open or the last start
  bool readFailed_ = false;      // the trailing partial record was reported
  platform::FileStatus writeFailure_;  // the first failed write since "OU " ("00": none)
};

}  // namespace dunax::records
