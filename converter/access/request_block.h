// The request block: the 2280-byte record shared with every record-access program. The
// converter fills the pass-through fields once and afterwards changes only the request code and
// the record area; the program answers with the file status and, for a read, the record.
#pragma once

#include <cstddef>

#include "converter/run_parameter.h"
#include "platform/file_status.h"

namespace dunax::converter::access {

inline constexpr std::size_t kRequestBlockLength = 2280;
inline constexpr std::size_t kRecordAreaLength = 2048;
inline constexpr std::size_t kTransferRecordLength = 1024;

// Offsets in the block (from 0).
namespace block_offsets {
inline constexpr std::size_t kLevel = 0;            // "2"
inline constexpr std::size_t kRequestCode = 4;      // 3 characters
inline constexpr std::size_t kPassThroughA = 7;     // run-parameter 18-20
inline constexpr std::size_t kPassThroughB = 10;    // run-parameter 21-30
inline constexpr std::size_t kZeros = 20;           // ten "0"
inline constexpr std::size_t kPassThroughE = 30;    // run-parameter 84-91
inline constexpr std::size_t kDataFileName = 38;    // run-parameter 31-80
inline constexpr std::size_t kPassThroughC = 104;   // run-parameter 81-82
inline constexpr std::size_t kPassThroughD = 106;   // run-parameter 83
inline constexpr std::size_t kSpace = 113;          // a space
inline constexpr std::size_t kPassThroughA2 = 114;  // run-parameter 18-20 again
inline constexpr std::size_t kPassThroughF = 165;   // run-parameter 120
inline constexpr std::size_t kFileStatus = 230;     // 2 characters, written by the program
inline constexpr std::size_t kRecordArea = 232;     // 2048 bytes
}  // namespace block_offsets

struct RequestBlock {
  unsigned char bytes[kRequestBlockLength];

  unsigned char* recordArea() { return bytes + block_offsets::kRecordArea; }
  const unsigned char* recordArea() const { return bytes + block_offsets::kRecordArea; }
  void setRequestCode(const char code[3]);
  platform::FileStatus fileStatus() const;
  void setFileStatus(platform::FileStatus status);
};
static_assert(sizeof(RequestBlock) == kRequestBlockLength);

// Fills the block as start-up does: zero bytes everywhere, "2" at 0, a space at 113, ten "0"
// at 20, and the pass-through fields and the data file name from the run parameter.
void fillRequestBlock(RequestBlock& block, const RunParameter& parameter);

}  // namespace dunax::converter::access
