// Reading a data file's transfer set record by record: segment 0 (".bin") and then the extra
// segments present (".bi1", ".bi2" ... up to the first missing one), 1024 bytes a record.
#pragma once

#include <cstdint>
#include <string>

#include "layouts/request_block.h"
#include "platform/record_file.h"
#include "manager/data_file_reader.h"

namespace dunax::manager {

class TransferSetReader {
 public:
  TransferSetReader();

  // Opens segment 0 of the data file dataName (Windows-1252, its own name) in the current
  // folder. Returns false, with why(), when it cannot be opened.
  bool open(const std::string& dataName);
  // Reads the next record into record(). Returns Record; End after the last segment's last
  // record; Failed with why() (a segment that cannot be read, a partial record at its end).
  ReadEnd next();
  void close();

  const unsigned char* record() const { return record_; }
  const std::string& why() const { return why_; }

 private:
  bool openSegment(int segment);

  platform::RecordFile file_;
  std::string dataName_;
  int segment_ = 0;
  int extraSegments_ = 0;
  std::uint64_t records_ = 0;
  unsigned char record_[layouts::kTransferRecordLength] = {};
  std::string why_;
};

}  // namespace dunax::manager
