// Fuzz target: the record-file handler reading arbitrary bytes, as the converter reads a
// transfer file in direction "X" (record sequential, 1024-byte records) and as a record-access
// program reads a data file (other record lengths); line sequential files too. The bytes come
// through the handler's system-call table in pieces of fuzzed sizes, with interrupted reads,
// so short reads are exercised; no file of the input is ever written to a disk.
//
// Input: byte 0 the kind (bit 0: line sequential; bit 1: the record length is in bytes 1-2,
// else 1024), bytes 1-2 the record length (1 to 4096), byte 3 the seed of the piece sizes,
// then the file's bytes.
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "platform/record_file.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using dunax::platform::FileStatus;
namespace status = dunax::platform::status;

struct Source {
  const std::uint8_t* bytes = nullptr;
  std::size_t size = 0;
  std::size_t at = 0;
  std::uint32_t seed = 1;
  int fd = -1;
};
Source source;

std::uint32_t nextRandom() {
  source.seed = source.seed * 1103515245u + 12345u;
  return source.seed >> 16;
}

int fakeOpen(const char* /*path*/, int /*flags*/, int /*mode*/) {
  // A real descriptor of a regular file (an empty one in memory), so that the handler's fstat
  // finds the kind of file it takes; the bytes come from the input.
  source.fd = ::memfd_create("fuzz-record-file", MFD_CLOEXEC);
  return source.fd;
}

long fakeRead(int /*fd*/, void* buffer, std::size_t count) {
  std::uint32_t draw = nextRandom();
  if (draw % 7 == 0) {
    errno = EINTR;
    return -1;
  }
  std::size_t piece = 1 + draw % 1500;
  std::size_t left = source.size - source.at;
  std::size_t n = piece < count ? piece : count;
  if (n > left) n = left;
  std::memcpy(buffer, source.bytes + source.at, n);
  source.at += n;
  return static_cast<long>(n);
}

long refuseWrite(int /*fd*/, const void* /*buffer*/, std::size_t /*count*/) {
  errno = EBADF;
  return -1;
}
int noFsync(int /*fd*/) { return 0; }
int noTruncate(int /*fd*/, long long /*length*/) { return 0; }
int fakeClose(int fd) { return ::close(fd); }

const dunax::platform::FileSystemCalls kCalls = {fakeOpen,  fakeRead,   refuseWrite,
                                                  noFsync,   noTruncate, fakeClose};

bool same(const FileStatus& a, const FileStatus& b) { return a == b; }

void checkRecordSequential(std::size_t length) {
  dunax::platform::RecordFile file(dunax::platform::Organization::RecordSequential, length);
  file.useCalls(kCalls);
  DUNAX_FUZZ_CHECK(same(file.open("transfer.bin", dunax::platform::OpenMode::Input), status::kSuccess));
  std::vector<unsigned char> record(length);
  const std::size_t whole = source.size / length;
  const std::size_t partial = source.size % length;
  for (std::size_t i = 0; i < whole; ++i) {
    DUNAX_FUZZ_CHECK(same(file.readNext(record.data()), status::kSuccess));
    DUNAX_FUZZ_CHECK(std::memcmp(record.data(), source.bytes + i * length, length) == 0);
  }
  if (partial != 0) {
    DUNAX_FUZZ_CHECK(same(file.readNext(record.data()), status::kLengthMismatch));
    DUNAX_FUZZ_CHECK(std::memcmp(record.data(), source.bytes + whole * length, partial) == 0);
    for (std::size_t i = partial; i < length; ++i) DUNAX_FUZZ_CHECK(record[i] == 0);
  }
  DUNAX_FUZZ_CHECK(same(file.readNext(record.data()), status::kEndOfFile));
  DUNAX_FUZZ_CHECK(same(file.readNext(record.data()), status::kReadAfterEnd));
  DUNAX_FUZZ_CHECK(same(file.write(record.data()), status::kNotOpenForOutput));
  DUNAX_FUZZ_CHECK(same(file.close(), status::kSuccess));
  DUNAX_FUZZ_CHECK(same(file.readNext(record.data()), status::kNotOpenForInput));
}

void checkLineSequential(std::size_t length) {
  dunax::platform::RecordFile file(dunax::platform::Organization::LineSequential, length);
  file.useCalls(kCalls);
  DUNAX_FUZZ_CHECK(same(file.open("listing.txt", dunax::platform::OpenMode::Input), status::kSuccess));
  std::vector<unsigned char> record(length);
  std::string_view rest(reinterpret_cast<const char*>(source.bytes), source.size);
  while (!rest.empty()) {
    const std::size_t newline = rest.find('\n');
    std::string_view line = rest.substr(0, newline);
    rest = newline == std::string_view::npos ? std::string_view() : rest.substr(newline + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    DUNAX_FUZZ_CHECK(same(file.readNext(record.data()), status::kSuccess));
    const std::size_t copied = std::min(line.size(), length);
    DUNAX_FUZZ_CHECK(std::memcmp(record.data(), line.data(), copied) == 0);
    for (std::size_t i = copied; i < length; ++i) DUNAX_FUZZ_CHECK(record[i] == ' ');
  }
  DUNAX_FUZZ_CHECK(same(file.readNext(record.data()), status::kEndOfFile));
  DUNAX_FUZZ_CHECK(same(file.readNext(record.data()), status::kReadAfterEnd));
  DUNAX_FUZZ_CHECK(same(file.close(), status::kSuccess));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  const bool lineSequential = (data[0] & 1) != 0;
  std::size_t length = 1024;
  if ((data[0] & 2) != 0) length = 1 + ((static_cast<std::size_t>(data[1]) << 8 | data[2]) % 4096);
  source = Source{};
  source.bytes = data + 4;
  source.size = size - 4;
  source.seed = data[3] + 1u;
  if (lineSequential) {
    checkLineSequential(length);
  } else {
    checkRecordSequential(length);
  }
  return 0;
}
