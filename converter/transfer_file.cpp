// The transfer file's naming, segments and record operations; the open of a set with its
// checks and the completion of an interrupted publish; the publish through the journal.
#include "converter/transfer_file.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <string_view>

#include "platform/host_path.h"

namespace dunax::converter {
namespace {

// A journal is 28 bytes; anything much longer is not read whole.
constexpr std::size_t kJournalReadLimit = 256;

// Why a name cannot be replaced, in words.
std::string notReplaceableWords(const platform::Status& status) {
  if (status.is(platform::StatusCode::IsDirectory)) return "a directory is there";
  return status.message();
}

// A name field of the transfer file as text.
std::string_view textOf(const char (&name)[kTransferNameLength]) {
  return {name, kTransferNameLength};
}

// status with words added after its own.
platform::Status withWords(const platform::Status& status, const std::string& more) {
  return platform::Status(status.code(), status.native(), status.message() + more);
}

}  // namespace

TransferFile::TransferFile()
    : file_(platform::Organization::RecordSequential, access::kTransferRecordLength) {
  // A segment is written under its temporary name: its directory is flushed by the publish.
  file_.flushDirectoryAtClose(false);
  std::memset(name_, ' ', sizeof name_);
  std::memset(baseName_, ' ', sizeof baseName_);
}

void TransferFile::buildName(const RunParameter& parameter) {
  std::memset(baseName_, ' ', sizeof baseName_);
  std::string_view dataName = dataFileNameUpToSpace(parameter);
  std::memcpy(baseName_, dataName.data(), dataName.size());
  std::memcpy(baseName_ + dataName.size(), layouts::kFirstSegmentSuffix.data(),
              layouts::kFirstSegmentSuffix.size());
  std::memcpy(name_, baseName_, sizeof name_);
  char dataField[kTransferNameLength];
  std::memset(dataField, ' ', sizeof dataField);
  std::memcpy(dataField, dataName.data(), dataName.size());
  dataPath_ = hostPath(dataField, "");
}

std::string TransferFile::hostPath(const char* name, const char* suffix) {
  std::size_t length = kTransferNameLength;
  while (length > 0 && name[length - 1] == ' ') --length;
  std::string recordName(name, length);
  for (char& c : recordName) {
    if (c == '\0') c = '_';
  }
  recordName += suffix;
  return platform::hostNameFromRecord(recordName).valueOr(std::string());
}

platform::FileStatus TransferFile::openForOutput() {
  std::string path = hostPath(name_, kPartialSuffix);
  reportedSegment_ = -1;
  lastOperation_ = "open for writing";
  // A temporary file of an earlier attempt or run is removed, not written through: what lies
  // under that name (even a link) is never followed. The file is made anew with the
  // permission it is to have, and the handler opens what was just made.
  (void)platform::removeFileIfPresent(path.c_str());  // one left makes the creation fail
  platform::Status made = platform::createNewFile(path.c_str(), newFileMode_);
  if (!made.ok()) {
    status_ = platform::fileStatusOf(made);
    return status_;
  }
  status_ = file_.open(path.c_str(), platform::OpenMode::Output);
  // The segment this one replaces at the publish keeps its content until then, but not its
  // cached pages: the records written now take those over instead of fresh memory.
  if (status_.ok()) platform::releaseCachedPages(hostPath(name_, "").c_str());
  return status_;
}

platform::FileStatus TransferFile::openForInput() {
  reportedSegment_ = -1;
  lastOperation_ = "open for reading";
  status_ = file_.open(hostPath(name_, "").c_str(), platform::OpenMode::Input);
  return status_;
}

std::string TransferFile::failedName() const {
  char segment[kTransferNameLength];
  const char* shown = name_;
  if (reportedSegment_ >= 0 && segmentName(reportedSegment_, segment)) shown = segment;
  std::size_t length = kTransferNameLength;
  while (length > 0 && shown[length - 1] == ' ') --length;
  return std::string(shown, length);
}

std::string TransferFile::journalName() const {
  std::size_t length = kTransferNameLength;
  while (length > 0 && baseName_[length - 1] == ' ') --length;
  return std::string(baseName_, length) + kJournalSuffix;
}

std::string TransferFile::segmentPath(int number, const char* suffix) const {
  char segment[kTransferNameLength];
  if (!segmentName(number, segment)) return {};
  return hostPath(segment, suffix);
}

int TransferFile::lastNameableSegment() const {
  return layouts::segmentMark(textOf(baseName_)) >= 0 ? layouts::kMostExtraSegments : 0;
}

platform::FileStatus TransferFile::refuse(platform::FileStatus status, std::string operation,
                                          int segment) {
  status_ = status;
  lastOperation_ = std::move(operation);
  reportedSegment_ = segment;
  return status_;
}

platform::Status TransferFile::checkSegmentNames(int& failedSegment) const {
  for (int number = 0; number <= lastNameableSegment(); ++number) {
    platform::Status replaceable = platform::checkReplaceablePath(segmentPath(number, "").c_str());
    if (!replaceable.ok()) {
      failedSegment = number;
      return replaceable;
    }
  }
  return platform::Status();
}

platform::Status TransferFile::carryOutJournal(const PublishJournal& journal,
                                               std::string& failedPath, int& failedSegment) {
  const int segments = static_cast<int>(kJournalSegments);
  // A failed step names its segment; the check before a step keeps a rename or removal from
  // replacing what is not a regular file.
  auto step = [&](int number, bool rename) {
    const std::string target = segmentPath(number, "");
    failedPath = target;
    failedSegment = number;
    if (rename) {
      const std::string temporary = segmentPath(number, kPartialSuffix);
      // Renamed already by the run that was stopped.
      if (!platform::fileExists(temporary.c_str())) return platform::Status();
      platform::Status replaceable = platform::checkReplaceablePath(target.c_str());
      if (!replaceable.ok()) return replaceable;
      return platform::replaceFile(temporary.c_str(), target.c_str());
    }
    platform::Status replaceable = platform::checkReplaceablePath(target.c_str());
    if (!replaceable.ok()) return replaceable;
    return platform::removeFileIfPresent(target.c_str());
  };
  for (int number = 0; number < segments; ++number) {
    if (journal.actions[number] != kRenameSegment) continue;
    if (platform::Status done = step(number, true); !done.ok()) return done;
  }
  // The highest first, so that no stop leaves a gap between segments that are there.
  for (int number = segments - 1; number >= 0; --number) {
    if (journal.actions[number] != kRemoveSegment) continue;
    if (platform::Status done = step(number, false); !done.ok()) return done;
  }
  // Every directory that holds a segment: the segments' names differ in one character, which
  // may lie in a folder's name.
  for (int number = 0; number < segments; ++number) {
    if (journal.actions[number] == kLeaveSegment) continue;
    failedPath = segmentPath(number, "");
    failedSegment = number;
    if (platform::Status flushed = platform::flushDirectoryOf(failedPath.c_str()); !flushed.ok()) {
      return flushed;
    }
    if (segmentsShareOneFolder()) break;
  }
  const std::string journalPath = hostPath(baseName_, kJournalSuffix);
  failedPath = journalPath;
  failedSegment = 0;
  if (platform::Status removed = platform::removeFileIfPresent(journalPath.c_str());
      !removed.ok()) {
    return removed;
  }
  return platform::flushDirectoryOf(journalPath.c_str());
}

bool TransferFile::completePendingPublish(int& extraSegments) {
  extraSegments = -1;
  const std::string journalPath = hostPath(baseName_, kJournalSuffix);
  std::string bytes;
  platform::Status read = platform::readSmallFile(journalPath.c_str(), kJournalReadLimit, bytes);
  if (read.is(platform::StatusCode::NotFound)) return true;
  PublishJournal journal;
  std::string why;
  if (read.is(platform::StatusCode::InvalidName)) {
    why = read.message();
  } else if (!read.ok()) {
    refuse(platform::status::kPermanentError,
           "open (the publish journal " + journalName() + " of an interrupted run cannot be read: " +
               read.message() + "; nothing was changed)",
           0);
    return false;
  } else if (decodeJournal(bytes, lastNameableSegment(), journal, why)) {
    std::string failedPath;
    int failedSegment = 0;
    platform::Status done = carryOutJournal(journal, failedPath, failedSegment);
    if (!done.ok()) {
      refuse(done.is(platform::StatusCode::NoSpace) ? platform::status::kBoundaryViolation
                                                    : kSegmentNotReplaceable,
             "completing an interrupted publish (" + notReplaceableWords(done) +
                 "; the publish journal " + journalName() + " stays for the next run)",
             failedSegment);
      return false;
    }
    extraSegments = journal.extraSegments();
    return true;
  }
  refuse(kJournalDamaged,
         "open (the publish journal " + journalName() + " of an interrupted run is damaged: " +
             why + "; nothing was changed: remove it and make the transfer set again)",
         0);
  return false;
}

platform::FileStatus TransferFile::openSetForOutput() {
  reportedSegment_ = -1;
  lastOperation_ = "open for writing";
  int completed = -1;
  if (!completePendingPublish(completed)) return status_;
  discardOutputSegments();
  if (const int shared = layouts::segmentNamedAsFirst(textOf(baseName_)); shared != 0) {
    const std::string digit(1, static_cast<char>('0' + shared));
    return refuse(kSegmentNameCollision,
                  "open for writing (this name is also the name of segment " + digit +
                      ": the character after its first \".bi\" is the digit " + digit +
                      "; rename the data file)",
                  0);
  }
  int failedSegment = 0;
  if (platform::Status replaceable = checkSegmentNames(failedSegment); !replaceable.ok()) {
    return refuse(kSegmentNotReplaceable,
                  "open for writing (this name cannot be replaced: " +
                      notReplaceableWords(replaceable) + ")",
                  failedSegment);
  }
  newFileMode_ = platform::permissionsFollowing(dataPath_.c_str());
  return openForOutput();
}

platform::FileStatus TransferFile::openSetForInput() {
  reportedSegment_ = -1;
  lastOperation_ = "open for reading";
  int completed = -1;
  if (!completePendingPublish(completed)) return status_;
  discardOutputSegments();
  if (completed >= 0 && completed != segmentCount_) {
    return refuse(kSetChanged,
                  "open for reading (an interrupted publish of this set was completed: it now "
                  "has " + std::to_string(completed) + " segments after the first, the run "
                  "parameter announces " + std::to_string(segmentCount_) +
                      "; count the segments again)",
                  0);
  }
  if (const int shared = layouts::segmentNamedAsFirst(textOf(baseName_));
      shared != 0 && shared <= segmentCount_) {
    const std::string digit(1, static_cast<char>('0' + shared));
    return refuse(kSegmentNameCollision,
                  "open for reading (this name is also the name of segment " + digit +
                      ": the character after its first \".bi\" is the digit " + digit +
                      ", so segment " + digit + " would be read twice; rename the data file)",
                  0);
  }
  const int lastAnnounced = std::min(segmentCount_, lastNameableSegment());
  for (int number = 1; number <= lastAnnounced; ++number) {
    if (!platform::fileExists(segmentPath(number, "").c_str())) {
      return refuse(kSegmentMissing,
                    "open for reading (segment " + std::to_string(number) + " of the " +
                        std::to_string(segmentCount_) + " announced after the first is missing)",
                    number);
    }
  }
  return openForInput();
}

bool TransferFile::segmentName(int number, char out[kTransferNameLength]) const {
  std::memcpy(out, baseName_, kTransferNameLength);
  return number == 0 || layouts::markSegment(std::span<char>(out, kTransferNameLength), number);
}

platform::Status TransferFile::publishOutputSegments(std::string& failedPath) {
  // Every name the publish replaces or removes may be so: checked again, as the names may have
  // changed while the records were written.
  int failedSegment = 0;
  if (platform::Status replaceable = checkSegmentNames(failedSegment); !replaceable.ok()) {
    failedPath = segmentPath(failedSegment, "");
    return platform::Status(replaceable.code(), replaceable.native(),
                            notReplaceableWords(replaceable));
  }
  // A new set of one segment over a set of one: a single rename replaces it whole, so no
  // journal is needed (the temporary was flushed at its close, the directory is after the rename).
  if (segmentCount_ == 0 && !higherSegmentsPresent()) {
    failedPath = segmentPath(0, "");
    return platform::replaceFileWhole(segmentPath(0, kPartialSuffix).c_str(), failedPath.c_str());
  }
  // The temporaries' names reach the disk before a journal that names them.
  for (int number = 0; number <= segmentCount_; ++number) {
    failedPath = segmentPath(number, kPartialSuffix);
    if (platform::Status flushed = platform::flushDirectoryOf(failedPath.c_str()); !flushed.ok()) {
      return flushed;
    }
    if (segmentsShareOneFolder()) break;
  }
  // The journal, made whole and flushed under a temporary name, then put in place and its
  // directory flushed: from then on the publish is completed by whichever run comes next.
  const std::string journalPath = hostPath(baseName_, kJournalSuffix);
  const std::string journalTemporary = journalPath + kPartialSuffix;
  const std::string bytes = encodeJournal(journalForSet(segmentCount_, lastNameableSegment()));
  failedPath = journalPath;
  (void)platform::removeFileIfPresent(journalTemporary.c_str());  // one left fails the writing
  platform::Status written =
      platform::writeNewFileDurably(journalTemporary.c_str(), bytes, newFileMode_);
  if (!written.ok()) return written;
  platform::Status done =
      platform::replaceFileWhole(journalTemporary.c_str(), journalPath.c_str());
  if (!done.ok() && platform::fileExists(journalTemporary.c_str())) {
    (void)platform::removeFileIfPresent(journalTemporary.c_str());  // best effort: done counts
    return done;
  }
  if (done.ok()) {
    PublishJournal journal;
    std::string why;
    decodeJournal(bytes, lastNameableSegment(), journal, why);
    done = carryOutJournal(journal, failedPath, failedSegment);
  }
  if (done.ok()) return done;
  return withWords(done, "; the publish journal " + journalPath +
                             " stays, and the next run of this file completes the publish");
}

void TransferFile::discardOutputSegments() {
  const std::string journalPath = hostPath(baseName_, kJournalSuffix);
  // A journal's segments are still to be renamed into place.
  if (platform::fileExists(journalPath.c_str())) return;
  // Best effort: a temporary left behind is removed by the next attempt before it writes.
  for (int number = 0; number <= lastNameableSegment(); ++number) {
    (void)platform::removeFileIfPresent(segmentPath(number, kPartialSuffix).c_str());
  }
  (void)platform::removeFileIfPresent((journalPath + kPartialSuffix).c_str());
}

bool TransferFile::higherSegmentsPresent() const {
  for (int number = 1; number <= lastNameableSegment(); ++number) {
    if (platform::fileExists(segmentPath(number, "").c_str())) return true;
  }
  return false;
}

bool TransferFile::segmentsShareOneFolder() const {
  const int mark = layouts::segmentMark(textOf(baseName_));
  int lastSeparator = -1;
  for (std::size_t at = 0; at < kTransferNameLength; ++at) {
    if (baseName_[at] == '\\' || baseName_[at] == '/') lastSeparator = static_cast<int>(at);
  }
  return mark < 0 || mark > lastSeparator;
}

std::string TransferFile::lockPath() const { return hostPath(baseName_, kLockSuffix); }

platform::FileStatus TransferFile::writeRecord(const unsigned char* record) {
  lastOperation_ = "write";
  status_ = file_.write(record);
  return status_;
}

platform::FileStatus TransferFile::readNextRecord(unsigned char* record) {
  lastOperation_ = "read";
  status_ = file_.readNext(record);
  return status_;
}

platform::FileStatus TransferFile::close() {
  if (!file_.isOpen()) return platform::status::kSuccess;
  return file_.close();
}

void TransferFile::startOutputSegments() {
  std::memcpy(name_, baseName_, sizeof name_);
  segmentCount_ = 0;
  segmentRecords_ = 0;
}

platform::FileStatus TransferFile::switchToNextOutputSegment() {
  if (segmentCount_ >= layouts::kMostExtraSegments) {
    lastOperation_ = "a tenth segment (at most 9 segments after the first one)";
    status_ = kSegmentLimitReached;
    return status_;
  }
  segmentRecords_ = 0;
  ++segmentCount_;
  const int mark = layouts::segmentMark(textOf(name_));
  if (mark < 0) {
    lastOperation_ = "a further segment (the name has no \".bi\" in its first 46 characters)";
    status_ = kSegmentLimitReached;
    return status_;
  }
  // The full segment's buffered records reach the disk at its close: a failure there is the
  // transfer status, never passed over for the next segment's open.
  platform::FileStatus closed = close();
  if (!closed.ok()) {
    lastOperation_ = "close of a full segment";
    status_ = closed;
    return status_;
  }
  name_[mark + 3] = static_cast<char>('0' + segmentCount_);
  return openForOutput();
}

bool TransferFile::takeAnnouncedSegments(const RunParameter& parameter) {
  std::memcpy(name_, baseName_, sizeof name_);
  segmentNumber_ = 0;
  const char* digits = parameter.extraSegments;
  if (digits[0] == ' ' && digits[1] == ' ') {
    segmentCount_ = 0;
    return true;
  }
  if (digits[0] < '0' || digits[0] > '9' || digits[1] < '0' || digits[1] > '9') return false;
  segmentCount_ = (digits[0] - '0') * 10 + (digits[1] - '0');
  return segmentCount_ <= layouts::kMostExtraSegments;
}

bool TransferFile::hasFurtherInputSegment() {
  if (segmentCount_ == 0) return false;
  const int mark = layouts::segmentMark(textOf(name_));
  if (mark < 0) {
    // Segments were announced that no name can reach: their records would be missing.
    lastOperation_ = "the announced segments (the name has no \".bi\" in its first 46 characters)";
    status_ = kSegmentMissing;
    return false;
  }
  if (name_[mark + 3] == 'n') {
    segmentNumber_ = 1;
  } else {
    ++segmentNumber_;
    if (segmentNumber_ > segmentCount_) return false;
  }
  return true;
}

platform::FileStatus TransferFile::switchToNextInputSegment() {
  close();
  const int mark = layouts::segmentMark(textOf(name_));
  name_[mark + 3] = static_cast<char>('0' + segmentNumber_);
  return openForInput();
}

}  // namespace dunax::converter
