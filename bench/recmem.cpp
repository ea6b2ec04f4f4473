// RECMEM: a record-access program for the benchmarks that serves records from memory, so that
// a run measures the converter and the transfer file alone. No file, no log.
//
// Records served by "RN "/"ARN" before end of file ("10"): the decimal number in pass-through
// field B (request block positions 10-19); blank means none. Every served record is the same
// 1024 bytes, copied from memory into the record area, so that the program itself costs
// one copy per read. "OU " opens a sink whose "WR "/"AWR" accept and count each record.
// Every other request answers "00"; the return code is always 0.
#include <cstring>

#include "platform/module_export.h"

namespace {

constexpr std::size_t kCodeOffset = 4;
constexpr std::size_t kFieldBOffset = 10;
constexpr std::size_t kFieldBLength = 10;
constexpr std::size_t kStatusOffset = 230;
constexpr std::size_t kRecordOffset = 232;
constexpr std::size_t kRecordLength = 1024;

long recordsToServe = 0;
long served = 0;
unsigned char record[kRecordLength];

long parseCount(const unsigned char* field) {
  long value = 0;
  for (std::size_t i = 0; i < kFieldBLength; ++i) {
    if (field[i] >= '0' && field[i] <= '9') value = value * 10 + (field[i] - '0');
  }
  return value;
}

void answer(unsigned char* block, const char* status) { std::memcpy(block + kStatusOffset, status, 2); }

}  // namespace

extern "C" DUNAX_EXPORT int RECMEM(void* requestBlock) {
  auto* block = static_cast<unsigned char*>(requestBlock);
  const unsigned char* code = block + kCodeOffset;
  if (code[0] == 'R' || (code[0] == 'A' && code[1] == 'R')) {  // "RN ", "ARN"
    if (served >= recordsToServe) {
      answer(block, "10");
      return 0;
    }
    ++served;
    std::memcpy(block + kRecordOffset, record, kRecordLength);
    answer(block, "00");
    return 0;
  }
  if (code[0] == 'T') {  // "TST": the count, and the one record every read serves
    recordsToServe = parseCount(block + kFieldBOffset);
    served = 0;
    for (std::size_t i = 0; i < kRecordLength; ++i) {
      record[i] = static_cast<unsigned char>('A' + i % 26);
    }
  }
  answer(block, "00");
  return 0;
}
