// The transfer file: fixed 1024-byte records carrying one data file between the two COBOL
// worlds, named after the data file with ".bin" and split into segments ".bi1" to ".bi9" of
// 1,000,000 records each. In direction "B" the segments are written under temporary names and
// made visible together only when the run succeeds, through a publish journal (see
// publish_journal.h) that every later run of the name completes first, so that a failed,
// stopped or killed run, or a power loss at any instant, leaves wholly the transfer set of the
// last good run or wholly the new one. Sets that a run cannot read or write whole are refused
// at the open, before any record moves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "converter/access/request_block.h"
#include "converter/publish_journal.h"
#include "converter/run_parameter.h"
#include "layouts/transfer_segments.h"
#include "platform/durable_files.h"
#include "platform/file_status.h"
#include "platform/record_file.h"
#include "platform/status.h"

namespace dunax::converter {

inline constexpr std::size_t kTransferNameLength = 128;
inline constexpr std::int64_t kRecordsPerSegment = 1000000;

// The statuses the converter gives a transfer file whose segment cannot be reached or that does
// not match what the run parameter announces:
// "34" a tenth segment, or a further one of a name without ".bi" in its first 46 characters;
inline constexpr platform::FileStatus kSegmentLimitReached{'3', '4'};
// "35" an announced segment that is not there (the reason names that segment);
inline constexpr platform::FileStatus kSegmentMissing{'3', '5'};
// "39" a segment count in the run parameter that is not "00" to "09";
inline constexpr platform::FileStatus kSegmentCountInvalid{'3', '9'};
// "31" a name that is also the name of one of its own segments: the character after its first
// ".bi" is the digit k (1-9), so segment 0 and segment k are one file ("q.bi1" gives
// "q.bi1.bin" for both). Always refused in "B", in "X" when k segments are announced;
inline constexpr platform::FileStatus kSegmentNameCollision{'3', '1'};
// "37" in "B" a segment name (0-9) that a rename cannot replace or a removal take away: a
// directory, a symbolic link, a FIFO or device (refused at the open, before any record);
inline constexpr platform::FileStatus kSegmentNotReplaceable{'3', '7'};
// "39" a publish journal that is damaged (nothing is touched);
inline constexpr platform::FileStatus kJournalDamaged{'3', '9'};
// "39" in "X" a set that completing an interrupted publish left with a segment count other
// than the one announced (the segments are to be counted again).
inline constexpr platform::FileStatus kSetChanged{'3', '9'};

// A segment being written lies under its name with this ending until the run succeeds.
using layouts::kPartialSuffix;
// The lock file that keeps a second run of the same transfer name away.
using layouts::kLockSuffix;
// The publish journal, beside segment 0 (written under this name with kPartialSuffix first).
using layouts::kJournalSuffix;

class TransferFile {
 public:
  TransferFile();

  // Builds segment 0's name (layouts/transfer_segments.h), space-padded to 128.
  void buildName(const RunParameter& parameter);
  const char* name() const { return name_; }

  // The status of the last operation ("30" before the first).
  platform::FileStatus status() const { return status_; }
  // What the last operation that set the status was, in words ("open", "read", ...; a refusal
  // at the open says why in parentheses).
  const char* lastOperation() const { return lastOperation_.c_str(); }
  // The name (Windows-1252, as the records hold it) of the segment or file the last failure
  // was about: the current segment's, or the one a refusal at the open names.
  std::string failedName() const;

  // The open of an attempt's transfer set, each returning the status of the open of segment 0
  // or of a refusal (the transfer status). Both first complete the publish journal that a
  // stopped run left (its failure: "39" damaged, "37" a name that cannot be replaced now, "30"
  // the journal cannot be read; the journal then stays, nothing else is touched), then remove
  // the temporary files of runs that were killed before their journal.
  // Output ("B") then refuses a name that is also one of its own segments' (kSegmentNameCollision)
  // and a segment name 0-9 that cannot be replaced (kSegmentNotReplaceable), and makes new
  // files with no more permission than the data file has.
  platform::FileStatus openSetForOutput();
  // Input ("X", after takeAnnouncedSegments) then refuses a set that the journal left with
  // another segment count than announced (kSetChanged), a name that is one of the announced
  // segments' (kSegmentNameCollision) and an announced segment that is not there
  // (kSegmentMissing, naming it).
  platform::FileStatus openSetForInput();

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
  // of an earlier run) and removes higher-numbered segments of the same name, whole: every
  // name is checked first, then the temporaries' directory is flushed, the journal written and
  // flushed, then the renames and removals, the directory flushed, the journal removed. One
  // segment over a set of one is one rename and a directory flush, with no journal. Call with
  // the transfer file closed.
  // Returns success, or the failure with the name that failed in failedPath: before the
  // journal nothing has changed; after it the journal stays (its words say so) and the next
  // run of the name completes the publish.
  platform::Status publishOutputSegments(std::string& failedPath);
  // Removes every temporary segment of this transfer name (this run's or a killed run's) and
  // a half-written journal; while a journal is in place nothing is removed (its segments are
  // still to be renamed).
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
  // The host path of name (Windows-1252, trailing spaces cut) followed by suffix: its host
  // form (platform/host_path.h), empty when it has none, a name no file system opens.
  static std::string hostPath(const char* name, const char* suffix);
  // Segment number's name (0 to 9) in out; false when that segment cannot be named (no ".bi").
  bool segmentName(int number, char out[kTransferNameLength]) const;
  // The host path of segment number followed by suffix; empty when it cannot be named.
  std::string segmentPath(int number, const char* suffix) const;
  // The journal's name as the records write names (Windows-1252), for the reasons.
  std::string journalName() const;
  // 9 when the name has a ".bi" in positions 1-46, else 0 (only segment 0 can be named).
  int lastNameableSegment() const;
  // Sets the transfer status, the operation's words and the name they are about.
  platform::FileStatus refuse(platform::FileStatus status, std::string operation, int segment);
  // Finds and carries out a journal; false after refusing (the status is set). extraSegments
  // gets the set's count when a journal was carried out, else -1.
  bool completePendingPublish(int& extraSegments);
  // Carries out journal's renames and removals, flushes, then removes the journal. Returns
  // success or the failure with its name in failedPath (and segment in failedSegment).
  platform::Status carryOutJournal(const PublishJournal& journal, std::string& failedPath,
                                   int& failedSegment);
  // True when every segment lies in segment 0's folder (the replaced character is in the
  // file's own name, not a folder's).
  bool segmentsShareOneFolder() const;
  // True when a segment after the first is there (a file of any kind under its name).
  bool higherSegmentsPresent() const;
  // Checks that every nameable segment's name may be replaced; the first that may not in
  // failedSegment.
  platform::Status checkSegmentNames(int& failedSegment) const;

  char name_[kTransferNameLength];
  char baseName_[kTransferNameLength];
  std::string dataPath_;  // the data file's host path, whose permission new files follow
  int newFileMode_ = platform::kDefaultNewFileMode;
  int reportedSegment_ = -1;  // the segment a refusal names; -1: the current one
  platform::RecordFile file_;
  platform::FileStatus status_{'3', '0'};
  std::string lastOperation_ = "open";
  int segmentCount_ = 0;
  int segmentNumber_ = 0;
  std::int64_t segmentRecords_ = 0;
};

}  // namespace dunax::converter
