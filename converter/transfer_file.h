// The transfer file: fixed 1024-byte records carrying one data file between the two COBOL
// worlds, named after the data file with ".bin" and split into segments ".bi1" to ".bi9" of
// 1,000,000 records each. In direction "B" the segments are written under temporary names and
// made visible together only when the run succeeds, so that a failed, stopped or killed run
// leaves the transfer set of the last good run exactly as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "converter/access/request_block.h"
#include "converter/run_parameter.h"
#include "platform/file_status.h"
#include "platform/record_file.h"
#include "platform/status.h"

namespace dunax::converter {

inline constexpr std::size_t kTransferNameLength = 128;
inline constexpr std::int64_t kRecordsPerSegment = 1000000;
inline constexpr int kMaxExtraSegments = 9;
// ".bi" is looked for at positions 1 to 46 of the name.
inline constexpr std::size_t kSegmentMarkLastStart = 46;

// The status the converter gives a transfer file whose segment cannot be reached or that does
// not match what the run parameter announces.
inline constexpr platform::FileStatus kSegmentLimitReached{'3', '4'};
inline constexpr platform::FileStatus kSegmentMissing{'3', '5'};
inline constexpr platform::FileStatus kSegmentCountInvalid{'3', '9'};

// A segment being written lies under its name with this ending until the run succeeds.
inline constexpr char kPartialSuffix[] = ".dunax-part";
// The lock file that keeps a second run of the same transfer name away.
inline constexpr char kLockSuffix[] = ".dunax-lock";

class TransferFile {
 public:
  TransferFile();

  // Builds segment 0's name: the data file name up to its first space (at most 50
  // characters) followed by ".bin", space-padded to 128.
  void buildName(const RunParameter& parameter);
  const char* name() const { return name_; }

  // The status of the last operation ("30" before the first).
  platform::FileStatus status() const { return status_; }
  // What the last operation that set the status was, in words ("open", "read", ...).
  const char* lastOperation() const { return lastOperation_; }
  void setStatus(platform::FileStatus status) { status_ = status; }

  // The record operations; each one's status becomes the transfer status and is returned.
  // Output goes to the segment's temporary name (a file left there by an earlier run is
  // replaced); input reads the segment's own name.
  platform::FileStatus openForOutput();
  platform::FileStatus openForInput();
  platform::FileStatus writeRecord(const unsigned char* record);
  // Reads the next record into record (1024 bytes): the caller's own area, so that a record
  // is copied once on its way from the file to the record-access program.
  platform::FileStatus readNextRecord(unsigned char* record);
  // Closes the file when it is open; returns the status of the close ("00" when it was not
  // open). The transfer status is left as it was.
  platform::FileStatus close();
  bool isOpen() const { return file_.isOpen(); }

  // Segments in direction "B": counting starts again at segment 0.
  void startOutputSegments();
  // Counts one record written to the current segment.
  void countWrittenRecord() { ++segmentRecords_; }
  // True when the current segment holds its 1,000,000 records.
  bool segmentFull() const { return segmentRecords_ > kRecordsPerSegment - 1; }
  // Closes the full segment and opens the next one for output. Sets the transfer status:
  // "34" when nine extra segments are already written or the name has no ".bi"; otherwise
  // the status of the close (when it failed, so that no record is lost unseen) or the open.
  platform::FileStatus switchToNextOutputSegment();
  // The number of extra segments written in direction "B" (0 to 9).
  int extraSegments() const { return segmentCount_; }

  // Makes the segments written by this attempt visible under their own names (replacing those
  // of an earlier run), removes higher-numbered segments of the same name left by an earlier
  // run, and flushes the directory. Call with the transfer file closed.
  // Returns success, or the failure with the name that failed in failedPath.
  platform::Status publishOutputSegments(std::string& failedPath);
  // Removes every temporary segment of this transfer name (this run's or a killed run's).
  void discardOutputSegments();
  // The host path of the lock file of this transfer name.
  std::string lockPath() const;

  // Segments in direction "X": the count announced by the run parameter (positions 118-119).
  // Spaces count as "00". Returns false when the field is not two digits or above "09".
  bool takeAnnouncedSegments(const RunParameter& parameter);
  // After a segment was read to its end: true when a further segment exists. The announced
  // segments that cannot be reached (no ".bi" in the name) set the transfer status to "35".
  bool hasFurtherInputSegment();
  // Closes the current segment and opens the next one for input; returns the open's status.
  platform::FileStatus switchToNextInputSegment();

  // For tests: the record file underneath.
  platform::RecordFile& recordFile() { return file_; }

 private:
  // The 0-based start of the first ".bi" in positions 1-46 of the name, or -1.
  int findSegmentMark() const;
  // The host path of name (Windows-1252, trailing spaces cut) followed by suffix: its host
  // form (platform/host_path.h), empty when it has none, a name no file system opens.
  static std::string hostPath(const char* name, const char* suffix);
  // Segment number's name (0 to 9) in out; false when that segment cannot be named (no ".bi").
  bool segmentName(int number, char out[kTransferNameLength]) const;

  char name_[kTransferNameLength];
  char baseName_[kTransferNameLength];
  platform::RecordFile file_;
  platform::FileStatus status_{'3', '0'};
  const char* lastOperation_ = "open";
  int segmentCount_ = 0;
  int segmentNumber_ = 0;
  std::int64_t segmentRecords_ = 0;
};

}  // namespace dunax::converter
