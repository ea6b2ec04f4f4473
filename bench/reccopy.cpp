// RECCPY: a record-access program for the benchmarks that writes a data file the way a plain
// copy does, so that direction "X" can be set beside `dd`: "OU " opens the data file itself for
// output (truncated in place, no temporary name, no rename), "WR "/"AWR" hand the 1024-byte
// record to the platform's record file, "CL " closes it. The close flushes the file to the
// disk only when DUNAX_BENCH_FLUSH is "1" (read at "OU "); otherwise nothing is flushed, as
// `dd` without conv=fsync. RECSEQ, the real program, always flushes and publishes whole.
//
// Data file: block positions 38-87 up to the first space. Statuses: the record file's; "00"
// for every other request. The return code is always 0.
#include <cstring>
#include <optional>

#include "platform/process.h"
#include "platform/record_file.h"

namespace {

constexpr std::size_t kCodeOffset = 4;
constexpr std::size_t kNameOffset = 38;
constexpr std::size_t kNameLength = 50;
constexpr std::size_t kStatusOffset = 230;
constexpr std::size_t kRecordOffset = 232;
constexpr std::size_t kRecordLength = 1024;

using dunax::platform::FileStatus;
using dunax::platform::FileSystemCalls;

int noFlush(int) { return 0; }

// The real calls with the flush left out.
const FileSystemCalls& callsWithoutFlush() {
  static const FileSystemCalls calls = [] {
    FileSystemCalls copy = dunax::platform::realFileSystemCalls();
    copy.fsync = noFlush;
    return copy;
  }();
  return calls;
}

std::optional<dunax::platform::RecordFile> dataFile;

void answer(unsigned char* block, FileStatus status) {
  std::memcpy(block + kStatusOffset, status.code, 2);
}

FileStatus openForOutput(const unsigned char* block) {
  char path[kNameLength + 1];
  std::size_t length = 0;
  while (length < kNameLength && block[kNameOffset + length] != ' ' &&
         block[kNameOffset + length] != '\0') {
    path[length] = static_cast<char>(block[kNameOffset + length]);
    ++length;
  }
  path[length] = '\0';
  dataFile.emplace(dunax::platform::Organization::RecordSequential, kRecordLength);
  const char* flush = dunax::platform::environmentValue("DUNAX_BENCH_FLUSH");
  if (flush == nullptr || std::strcmp(flush, "1") != 0) dataFile->useCalls(callsWithoutFlush());
  return dataFile->open(path, dunax::platform::OpenMode::Output);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int RECCPY(void* requestBlock) {
  auto* block = static_cast<unsigned char*>(requestBlock);
  const unsigned char* code = block + kCodeOffset;
  FileStatus status = dunax::platform::status::kSuccess;
  if (code[0] == 'W' || (code[0] == 'A' && code[1] == 'W')) {  // "WR ", "AWR"
    status = dataFile ? dataFile->write(block + kRecordOffset) : dunax::platform::status::kNotOpen;
  } else if (code[0] == 'O') {  // "OU "
    status = openForOutput(block);
  } else if (code[0] == 'C' && dataFile) {  // "CL "
    status = dataFile->close();
    dataFile.reset();
  }
  answer(block, status);
  return 0;
}
