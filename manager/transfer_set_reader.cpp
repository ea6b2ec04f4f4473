// The segments of a transfer set read one after the other.
#include "manager/transfer_set_reader.h"

#include "platform/durable_files.h"
#include "platform/host_path.h"
#include "platform/text_encoding.h"
#include "manager/segments.h"

namespace dunax::manager {
namespace {

std::string hostNameOf(const std::string& windows1252Name) {
  return platform::hostNameFromRecord(windows1252Name).valueOr({});
}

std::string shownName(const std::string& windows1252Name) {
  std::string shown;
  platform::appendUtf8FromWindows1252(windows1252Name.data(), windows1252Name.size(), shown);
  return shown;
}

}  // namespace

TransferSetReader::TransferSetReader()
    : file_(platform::Organization::RecordSequential, layouts::kTransferRecordLength) {}

bool TransferSetReader::openSegment(int segment) {
  if (file_.isOpen()) (void)file_.close();
  segment_ = segment;
  const std::string name = transferSegmentName(dataName_, segment);
  const platform::FileStatus opened = file_.open(hostNameOf(name).c_str(), platform::OpenMode::Input);
  if (opened.ok()) return true;
  why_ = shownName(name) + ": open for reading: status " + std::string(opened.code, 2);
  return false;
}

bool TransferSetReader::open(const std::string& dataName) {
  close();
  dataName_ = dataName;
  records_ = 0;
  why_.clear();
  extraSegments_ = countExtraSegments(dataName, [](const std::string& name) {
    return platform::fileExists(hostNameOf(name).c_str());
  });
  return openSegment(0);
}

ReadEnd TransferSetReader::next() {
  for (;;) {
    if (!file_.isOpen()) return ReadEnd::Failed;
    const platform::FileStatus read = file_.readNext(record_);
    if (read.ok()) {
      ++records_;
      return ReadEnd::Record;
    }
    const std::string name = shownName(transferSegmentName(dataName_, segment_));
    if (read.is('0', '4')) {
      why_ = name + ": record " + std::to_string(records_ + 1) + ": " +
             std::to_string(file_.partialRecordBytes()) +
             " bytes left at the end, not a whole record";
      return ReadEnd::Failed;
    }
    if (!read.is('1', '0')) {
      why_ = name + ": read: record " + std::to_string(records_ + 1) + ": status " +
             std::string(read.code, 2);
      return ReadEnd::Failed;
    }
    if (segment_ >= extraSegments_) return ReadEnd::End;
    if (!openSegment(segment_ + 1)) return ReadEnd::Failed;
  }
}

void TransferSetReader::close() {
  if (file_.isOpen()) (void)file_.close();
}

}  // namespace dunax::manager
