// The transfer file's naming, segments and record operations.
#include "converter/transfer_file.h"

#include <cstring>

#include "platform/durable_files.h"
#include "platform/host_path.h"

namespace dunax::converter {
namespace {

constexpr char kFirstSegmentSuffix[] = ".bin";

}  // namespace

TransferFile::TransferFile()
    : file_(platform::Organization::RecordSequential, access::kTransferRecordLength) {
  std::memset(name_, ' ', sizeof name_);
  std::memset(baseName_, ' ', sizeof baseName_);
}

void TransferFile::buildName(const RunParameter& parameter) {
  std::memset(baseName_, ' ', sizeof baseName_);
  std::string_view dataName = dataFileNameUpToSpace(parameter);
  std::memcpy(baseName_, dataName.data(), dataName.size());
  std::memcpy(baseName_ + dataName.size(), kFirstSegmentSuffix, 4);
  std::memcpy(name_, baseName_, sizeof name_);
}

std::string TransferFile::hostPath(const char* name, const char* suffix) {
  std::size_t length = kTransferNameLength;
  while (length > 0 && name[length - 1] == ' ') --length;
  std::string recordName(name, length);
  for (char& c : recordName) {
    if (c == '\0') c = '_';
  }
  recordName += suffix;
  std::string path;
  if (!platform::hostNameFromRecord(recordName, path)) path.clear();
  return path;
}

platform::FileStatus TransferFile::openForOutput() {
  std::string path = hostPath(name_, kPartialSuffix);
  // A temporary file of an earlier attempt or run is removed, not written through: what lies
  // under that name (even a link) is never followed.
  platform::removeFileIfPresent(path.c_str());
  lastOperation_ = "open for writing";
  status_ = file_.open(path.c_str(), platform::OpenMode::Output);
  return status_;
}

platform::FileStatus TransferFile::openForInput() {
  lastOperation_ = "open for reading";
  status_ = file_.open(hostPath(name_, "").c_str(), platform::OpenMode::Input);
  return status_;
}

bool TransferFile::segmentName(int number, char out[kTransferNameLength]) const {
  std::memcpy(out, baseName_, kTransferNameLength);
  if (number == 0) return true;
  for (std::size_t start = 0; start < kSegmentMarkLastStart; ++start) {
    if (out[start] == '.' && out[start + 1] == 'b' && out[start + 2] == 'i') {
      out[start + 3] = static_cast<char>('0' + number);
      return true;
    }
  }
  return false;
}

platform::Status TransferFile::publishOutputSegments(std::string& failedPath) {
  char segment[kTransferNameLength];
  for (int number = 0; number <= segmentCount_; ++number) {
    if (!segmentName(number, segment)) break;
    std::string finalPath = hostPath(segment, "");
    platform::Status error =
        platform::replaceFile(hostPath(segment, kPartialSuffix).c_str(), finalPath.c_str());
    if (!error.ok()) {
      failedPath = finalPath;
      return error;
    }
  }
  for (int number = segmentCount_ + 1; number <= kMaxExtraSegments; ++number) {
    if (!segmentName(number, segment)) break;
    std::string stalePath = hostPath(segment, "");
    platform::Status error = platform::removeFileIfPresent(stalePath.c_str());
    if (!error.ok()) {
      failedPath = stalePath;
      return error;
    }
  }
  std::string firstPath = hostPath(baseName_, "");
  platform::Status error = platform::flushDirectoryOf(firstPath.c_str());
  if (!error.ok()) failedPath = firstPath;
  return error;
}

void TransferFile::discardOutputSegments() {
  char segment[kTransferNameLength];
  for (int number = 0; number <= kMaxExtraSegments; ++number) {
    if (!segmentName(number, segment)) break;
    platform::removeFileIfPresent(hostPath(segment, kPartialSuffix).c_str());
  }
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

int TransferFile::findSegmentMark() const {
  for (std::size_t start = 0; start < kSegmentMarkLastStart; ++start) {
    if (name_[start] == '.' && name_[start + 1] == 'b' && name_[start + 2] == 'i') {
      return static_cast<int>(start);
    }
  }
  return -1;
}

platform::FileStatus TransferFile::switchToNextOutputSegment() {
  if (segmentCount_ >= kMaxExtraSegments) {
    lastOperation_ = "a tenth segment (at most 9 segments after the first one)";
    status_ = kSegmentLimitReached;
    return status_;
  }
  segmentRecords_ = 0;
  ++segmentCount_;
  int mark = findSegmentMark();
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
  return segmentCount_ <= kMaxExtraSegments;
}

bool TransferFile::hasFurtherInputSegment() {
  if (segmentCount_ == 0) return false;
  int mark = findSegmentMark();
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
  int mark = findSegmentMark();
  name_[mark + 3] = static_cast<char>('0' + segmentNumber_);
  return openForInput();
}

}  // namespace dunax::converter
