// The room a run needs: how large each file's output will be (the transfer set in "B", the data
// file in "X"), known exactly where the record-access program's records are (RECSEQ's fixed
// records) and bounded from above where not, set against the free space of each file system.
#pragma once

#include <cstdint>
#include <string>

#include "manager/run_parameter.h"

namespace dunax::manager {

// The sample program of fixed-length sequential data files, whose records are known from the
// file's size.
inline constexpr char kSequentialProgram[] = "RECSEQ";

struct RoomNeed {
  std::uint64_t bytes = 0;  // the output's size, or the bound taken for it
  bool exact = false;       // the size itself, not a bound
};

// The record length field B gives: its number when it holds 1 to 1024 in digits (as
// --record-length writes it); 1024 when it is blank and the program is RECSEQ (which takes blank
// so); 0 when it says nothing of the length.
std::uint64_t recordLengthOf(const RunSettings& settings);

// The transfer set a "B" run writes for a data file of dataBytes: RECSEQ's records are
// dataBytes / record length, 1024 bytes each in the set (exact); any other program's records
// take at least the record length given in the data file, or at least one byte when none is
// given, which bounds their count.
RoomNeed transferSetNeed(const RunSettings& settings, std::uint64_t dataBytes);

// The data file an "X" run writes from a transfer set of transferBytes: one record per 1024
// bytes of the set, of the record length (exact for RECSEQ), or of at most 1024 bytes when no
// length is given (a bound that an indexed file's own overhead may pass).
RoomNeed dataFileNeed(const RunSettings& settings, std::uint64_t transferBytes);

// A count of bytes as the operator reads it: "1,234,567 bytes (1.2 MB)".
std::string bytesText(std::uint64_t bytes);

}  // namespace dunax::manager
