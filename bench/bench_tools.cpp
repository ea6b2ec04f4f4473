// bench_tools: the inputs of the benchmarks.
//   bench_tools data PATH N     writes N fixed 1024-byte records back to back; record i (from 1)
//                               starts with i in 16 digits (a unique key in key order), then
//                               bytes that vary with i
//   bench_tools tree ROOT       creates the inventory's shape below ROOT: COMUNS with 900 files
//                               and EMP001-EMP010, each with 10 files and 10 subdirectories of
//                               10 files, each of those with 8 files and 10 subdirectories,
//                               each of those with 10 files and 9 subdirectories of 10 files:
//                               100,000 files of 1 to 512 bytes, no "." in any name
//   bench_tools time N PROGRAM [ARGUMENT...]
//                               starts PROGRAM N times, one after the other, its output thrown
//                               away, and prints the median and the shortest wall time of a
//                               run in nanoseconds (exit code 1 when a run does not end with 0)
// Exit code 0, or 1 with a message on standard error.
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr std::size_t kRecordLength = 1024;
constexpr std::size_t kRecordsPerWrite = 1024;

bool writeAll(int fd, const unsigned char* bytes, std::size_t count) {
  while (count > 0) {
    ssize_t n = ::write(fd, bytes, count);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    count -= static_cast<std::size_t>(n);
  }
  return true;
}

int writeData(const char* path, long records) {
  int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) {
    std::perror(path);
    return 1;
  }
  std::vector<unsigned char> buffer(kRecordLength * kRecordsPerWrite);
  std::size_t used = 0;
  for (long i = 1; i <= records; ++i) {
    unsigned char* record = buffer.data() + used;
    char key[24];
    std::snprintf(key, sizeof key, "%016ld", i);
    std::memcpy(record, key, 16);
    for (std::size_t k = 16; k < kRecordLength; ++k) {
      record[k] = static_cast<unsigned char>(' ' + (i * 7 + static_cast<long>(k)) % 90);
    }
    used += kRecordLength;
    if (used == buffer.size() || i == records) {
      if (!writeAll(fd, buffer.data(), used)) {
        std::perror(path);
        return 1;
      }
      used = 0;
    }
  }
  return ::close(fd) == 0 ? 0 : 1;
}

long fileNumber = 0;

bool makeFiles(const std::string& directory, int count) {
  static unsigned char content[512];
  if (content[0] == 0) std::memset(content, 'x', sizeof content);
  for (int i = 0; i < count; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "/F%05d", i);
    std::string path = directory + name;
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    bool written = writeAll(fd, content, static_cast<std::size_t>(1 + fileNumber++ % 512));
    if (::close(fd) != 0 || !written) return false;
  }
  return true;
}

bool makeDirectory(const std::string& path) {
  return ::mkdir(path.c_str(), 0755) == 0 || errno == EEXIST;
}

int writeTree(const std::string& root) {
  if (!makeDirectory(root) || !makeDirectory(root + "/COMUNS")) return 1;
  if (!makeFiles(root + "/COMUNS", 900)) return 1;
  for (int e = 1; e <= 10; ++e) {
    char name[16];
    std::snprintf(name, sizeof name, "/EMP%03d", e);
    std::string d1 = root + name;
    if (!makeDirectory(d1) || !makeFiles(d1, 10)) return 1;
    for (int a = 0; a < 10; ++a) {
      std::string d2 = d1 + "/A00" + std::to_string(a);
      if (!makeDirectory(d2) || !makeFiles(d2, 10)) return 1;
      for (int b = 0; b < 10; ++b) {
        std::string d3 = d2 + "/B00" + std::to_string(b);
        if (!makeDirectory(d3) || !makeFiles(d3, 8)) return 1;
        for (int c = 0; c < 9; ++c) {
          std::string d4 = d3 + "/C00" + std::to_string(c);
          if (!makeDirectory(d4) || !makeFiles(d4, 10)) return 1;
        }
      }
    }
  }
  return 0;
}

long long nowNanoseconds() {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

int timeRuns(long runs, char** command) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<long long> times;
  for (long run = 0; run < runs; ++run) {
    long long start = nowNanoseconds();
    pid_t child = 0;
    if (posix_spawn(&child, command[0], &actions, nullptr, command, environ) != 0) {
      std::perror(command[0]);
      return 1;
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    times.push_back(nowNanoseconds() - start);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      std::fprintf(stderr, "bench_tools: %s ended with status %d\n", command[0], status);
      return 1;
    }
  }
  std::sort(times.begin(), times.end());
  std::printf("%lld %lld\n", times[times.size() / 2], times.front());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "data") == 0) {
    return writeData(argv[2], std::atol(argv[3]));
  }
  if (argc == 3 && std::strcmp(argv[1], "tree") == 0) {
    int result = writeTree(argv[2]);
    if (result != 0) std::perror(argv[2]);
    return result;
  }
  if (argc >= 4 && std::strcmp(argv[1], "time") == 0 && std::atol(argv[2]) > 0) {
    return timeRuns(std::atol(argv[2]), argv + 3);
  }
  std::fprintf(stderr,
               "usage: bench_tools data PATH N | bench_tools tree ROOT |"
               " bench_tools time N PROGRAM [ARGUMENT...]\n");
  return 1;
}
