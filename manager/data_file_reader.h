// Reading a data file record by record through its record-access program, with the request
// block and the requests of a conversion in direction "B": "TST", then "ST " and the first
// "RN " (with the key option "AST" and "ARN"), then "RN " for every further record, and "CL ".
#pragma once

#include <cstdint>
#include <string>

#include "layouts/data_status_classes.h"
#include "layouts/request_block.h"
#include "platform/program_call.h"
#include "manager/run_parameter.h"

namespace dunax::manager {

enum class ReadEnd {
  Record,  // a record was read
  End,     // the data (or the set) has no further record
  Failed,  // it cannot be read; why() says so
};

class DataFileReader {
 public:
  // settings: the program and the pass-through fields (Windows-1252), the key option.
  explicit DataFileReader(const RunSettings& settings);
  ~DataFileReader() { close(); }
  DataFileReader(const DataFileReader&) = delete;
  DataFileReader& operator=(const DataFileReader&) = delete;

  // Opens the data file dataName (Windows-1252, its own name: the program opens it in the
  // current folder) with "TST". Returns false, with why(), when the program cannot be found or
  // answers a failure.
  bool open(const std::string& dataName);
  // Reads the next record into record() (its first 1024 bytes are the transfer record the
  // converter writes). Returns Record, End at the end of the data, or Failed with why().
  ReadEnd next();
  // "CL " when the file is open; the program is then released (the next file loads it anew).
  void close();

  const unsigned char* record() const { return block_.recordArea; }
  // Why the last request failed: the request, the record number for a read, the status and the
  // program's own words.
  const std::string& why() const { return why_; }

 private:
  // Makes the request; returns the status the program answered (two spaces when not reached).
  layouts::StatusPair issue(const char code[3]);
  void noteFailure(const char* operation, layouts::StatusPair status);

  const RunSettings settings_;
  layouts::RequestBlock block_{};
  platform::OutsideProgram program_;
  bool open_ = false;
  bool started_ = false;
  std::uint64_t records_ = 0;
  std::string why_;
};

}  // namespace dunax::manager
