// Google Benchmark figures of the pieces the converter runs for every record: the status
// classification, the counters' nine digits, and one 1024-byte write into the transfer file's
// record file (on the memory file system, so that the disk is not measured).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "converter/access/status_class.h"
#include "converter/progress.h"
#include "platform/record_file.h"

namespace {

using dunax::platform::FileStatus;

void classifyStatus(benchmark::State& state) {
  FileStatus status{'0', '0'};
  for (auto _ : state) {
    benchmark::DoNotOptimize(status);
    FileStatus classified = dunax::converter::access::classifyDataStatus(status);
    benchmark::DoNotOptimize(classified);
  }
}
BENCHMARK(classifyStatus);

void putNineDigits(benchmark::State& state) {
  char out[9];
  std::uint64_t value = 123456789;
  for (auto _ : state) {
    dunax::converter::putNineDigits(out, value++);
    benchmark::DoNotOptimize(out);
  }
}
BENCHMARK(putNineDigits);

void writeTransferRecord(benchmark::State& state) {
  std::string path = "/dev/shm/dunax-bench-micro-" + std::to_string(getpid()) + ".bin";
  dunax::platform::RecordFile file(dunax::platform::Organization::RecordSequential, 1024);
  unsigned char record[1024];
  std::memset(record, 'A', sizeof record);
  file.open(path.c_str(), dunax::platform::OpenMode::Output);
  long written = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(file.write(record));
    // Start a new file every 100,000 records so that the memory file system stays small.
    if (++written % 100000 == 0) {
      state.PauseTiming();
      file.close();
      file.open(path.c_str(), dunax::platform::OpenMode::Output);
      state.ResumeTiming();
    }
  }
  file.close();
  unlink(path.c_str());
}
BENCHMARK(writeTransferRecord);

}  // namespace

BENCHMARK_MAIN();
