// The transfer file's naming, segments and record operations.
#include "converter/transfer_file.h"

#include <cstring>

namespace dunax::converter {
namespace {

constexpr char kFirstSegmentSuffix[] = ".bin";

}  // namespace

TransferFile::TransferFile()
    : file_(platform::Organization::RecordSequential, access::kTransferRecordLength) {
  std::memset(name_, ' ', sizeof name_);
  std::memset(baseName_, ' ', sizeof baseName_);
  std::memset(record_, 0, sizeof record_);
}

void TransferFile::buildName(const RunParameter& parameter) {
  std::memset(baseName_, ' ', sizeof baseName_);
  std::string_view dataName = dataFileNameUpToSpace(parameter);
  std::memcpy(baseName_, dataName.data(), dataName.size());
  std::memcpy(baseName_ + dataName.size(), kFirstSegmentSuffix, 4);
  std::memcpy(name_, baseName_, sizeof name_);
}

void TransferFile::hostPath(char* out) const {
  std::size_t length = sizeof name_;
  while (length > 0 && name_[length - 1] == ' ') --length;
  for (std::size_t i = 0; i < length; ++i) {
    char c = name_[i];
    out[i] = c == '\\' ? '/' : (c == '\0' ? '_' : c);
  }
  out[length] = '\0';
}

platform::FileStatus TransferFile::openForOutput() {
  char path[kTransferNameLength + 1];
  hostPath(path);
  status_ = file_.open(path, platform::OpenMode::Output);
  return status_;
}

platform::FileStatus TransferFile::openForInput() {
  char path[kTransferNameLength + 1];
  hostPath(path);
  status_ = file_.open(path, platform::OpenMode::Input);
  return status_;
}

platform::FileStatus TransferFile::writeRecord(const unsigned char* record) {
  status_ = file_.write(record);
  return status_;
}

platform::FileStatus TransferFile::readNextRecord() {
  status_ = file_.readNext(record_);
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
    status_ = kSegmentLimitReached;
    return status_;
  }
  segmentRecords_ = 0;
  ++segmentCount_;
  int mark = findSegmentMark();
  if (mark < 0) {
    status_ = kSegmentLimitReached;
    return status_;
  }
  // The full segment's buffered records reach the disk at its close: a failure there is the
  // transfer status, never passed over for the next segment's open.
  platform::FileStatus closed = close();
  if (!closed.ok()) {
    status_ = closed;
    return status_;
  }
  name_[mark + 3] = static_cast<char>('0' + segmentCount_);
  return openForOutput();
}

bool TransferFile::takeAnnouncedSegments(const RunParameter& parameter) {
  std::memcpy(name_, baseName_, sizeof name_);
  segmentNumber_ = 0;
  const char* digits = parameter.at(run_fields::kSegmentCount);
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
