// The record-file handler: fixed-length and line sequential files with their statuses, and
// write failures that really happen (a full device, a size limit, the Nth write refused),
// which must leave only whole records behind.
#include <fcntl.h>
#include <unistd.h>
#ifndef _WIN32
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#endif
#ifdef _WIN32
#include <windows.h>
#endif
#ifdef __linux__
#include <linux/magic.h>
#include <sys/mman.h>
#include <sys/vfs.h>
#endif

#include <cerrno>
#include <vector>

#include "platform/durable_files.h"
#include "platform/record_file.h"
#include "tests/platform/platform_test.h"

namespace dunax::platform {
namespace {

std::string recordOf(int number, std::size_t length) {
  std::string record(length, static_cast<char>('a' + number % 26));
  record.replace(0, 4, std::to_string(1000 + number));
  return record;
}

#ifdef __linux__
// The number of the file's pages held in the page cache, or -1 when it cannot be told.
long cachedPages(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) return -1;
  long size = ::lseek(fd, 0, SEEK_END);
  void* mapped = size > 0 ? ::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0) : MAP_FAILED;
  ::close(fd);
  if (mapped == MAP_FAILED) return -1;
  long pageSize = ::sysconf(_SC_PAGESIZE);
  std::vector<unsigned char> resident((size + pageSize - 1) / pageSize);
  long count = -1;
  if (::mincore(mapped, size, resident.data()) == 0) {
    count = 0;
    for (unsigned char page : resident) count += page & 1;
  }
  ::munmap(mapped, size);
  return count;
}
#endif

TEST(RecordFileTest, WritesAndReadsFixedRecordsBackToBack) {
  TemporaryDirectory directory;
  std::string path = directory.file("f.bin");
  RecordFile out(Organization::RecordSequential, 1024);
  ASSERT_EQ(statusText(out.open(path.c_str(), OpenMode::Output)), "00");
  std::string expected;
  for (int i = 0; i < 3000; ++i) {  // more than one buffer
    std::string record = recordOf(i, 1024);
    expected += record;
    ASSERT_EQ(statusText(out.write(record.data())), "00");
  }
  ASSERT_EQ(statusText(out.close()), "00");
  EXPECT_EQ(testing::readFile(path), expected);

  RecordFile in(Organization::RecordSequential, 1024);
  ASSERT_EQ(statusText(in.open(path.c_str(), OpenMode::Input)), "00");
  char record[1024];
  for (int i = 0; i < 3000; ++i) {
    ASSERT_EQ(statusText(in.readNext(record)), "00");
    ASSERT_EQ(std::string(record, 1024), recordOf(i, 1024));
  }
  EXPECT_EQ(statusText(in.readNext(record)), "10");
  EXPECT_EQ(statusText(in.readNext(record)), "46");
  EXPECT_EQ(statusText(in.write(record)), "48");
  EXPECT_EQ(statusText(in.close()), "00");
  EXPECT_EQ(statusText(in.close()), "42");
}

#ifdef __linux__
bool onMemoryFileSystem(const std::string& path) {
  struct statfs fileSystem {};
  return ::statfs(path.c_str(), &fileSystem) != 0 || fileSystem.f_type == TMPFS_MAGIC;
}

// A record file is read once: what was read leaves the page cache, so that a process writing
// a new file while reading an old one reuses those pages.
TEST(RecordFileTest, ARecordFileReadToItsEndLeavesNoPageOfItInThePageCache) {
  TemporaryDirectory directory;
  if (onMemoryFileSystem(directory.path())) {
    GTEST_SKIP() << "a memory file system keeps every page";
  }
  std::string path = directory.file("f.bin");
  RecordFile out(Organization::RecordSequential, 1024);
  ASSERT_EQ(statusText(out.open(path.c_str(), OpenMode::Output)), "00");
  std::string record = recordOf(1, 1024);
  for (int i = 0; i < 4096; ++i) ASSERT_EQ(statusText(out.write(record.data())), "00");
  ASSERT_EQ(statusText(out.close()), "00");  // flushed: its pages are clean and cached
  ASSERT_GT(cachedPages(path), 0);

  RecordFile in(Organization::RecordSequential, 1024);
  ASSERT_EQ(statusText(in.open(path.c_str(), OpenMode::Input)), "00");
  char read[1024];
  for (int i = 0; i < 4096; ++i) ASSERT_EQ(statusText(in.readNext(read)), "00");
  ASSERT_EQ(statusText(in.readNext(read)), "10");
  EXPECT_EQ(cachedPages(path), 0);
  EXPECT_EQ(statusText(in.close()), "00");
}

// A file about to be replaced gives its cached pages back and keeps its content; a name with
// no regular file behind it is passed over.
TEST(RecordFileTest, AReleasedFileKeepsItsContentAndNoPageInThePageCache) {
  TemporaryDirectory directory;
  if (onMemoryFileSystem(directory.path())) {
    GTEST_SKIP() << "a memory file system keeps every page";
  }
  std::string path = directory.file("f.bin");
  RecordFile out(Organization::RecordSequential, 1024);
  ASSERT_EQ(statusText(out.open(path.c_str(), OpenMode::Output)), "00");
  std::string expected;
  for (int i = 0; i < 512; ++i) {
    expected += recordOf(i, 1024);
    ASSERT_EQ(statusText(out.write(recordOf(i, 1024).data())), "00");
  }
  ASSERT_EQ(statusText(out.close()), "00");
  ASSERT_GT(cachedPages(path), 0);
  releaseCachedPages(path.c_str());
  EXPECT_EQ(cachedPages(path), 0);
  EXPECT_EQ(testing::readFile(path), expected);
  releaseCachedPages(directory.file("missing").c_str());
  releaseCachedPages(directory.path().c_str());
}
#endif

#ifndef _WIN32  // the system-call table is the POSIX half's seam (Windows: windows_half_test)
int fsyncCount = 0;
int countedFsync(int fd) {
  ++fsyncCount;
  return ::fsync(fd);
}

// A written file's close flushes the file and its directory, or the file alone when the
// directory is left to whoever renames the file into place.
TEST(RecordFileTest, CloseFlushesTheDirectoryUnlessItIsLeftToTheRename) {
  TemporaryDirectory directory;
  FileSystemCalls calls = realFileSystemCalls();
  calls.fsync = countedFsync;
  for (const auto& [flushDirectory, flushes] : {std::pair{true, 2}, std::pair{false, 1}}) {
    RecordFile file(Organization::RecordSequential, 16);
    file.useCalls(calls);
    file.flushDirectoryAtClose(flushDirectory);
    ASSERT_EQ(statusText(file.open(directory.file("f.bin").c_str(), OpenMode::Output)), "00");
    ASSERT_EQ(statusText(file.write(recordOf(1, 16).data())), "00");
    fsyncCount = 0;
    EXPECT_EQ(statusText(file.close()), "00");
    EXPECT_EQ(fsyncCount, flushes) << flushDirectory;
  }
}
#endif

TEST(RecordFileTest, OpenStatuses) {
  TemporaryDirectory directory;
  RecordFile file(Organization::RecordSequential, 16);
  EXPECT_EQ(statusText(file.open(directory.file("missing").c_str(), OpenMode::Input)), "35");
  EXPECT_EQ(statusText(file.open(directory.file("no/such/dir").c_str(), OpenMode::Output)), "30");
  EXPECT_EQ(statusText(file.open(directory.path().c_str(), OpenMode::Input)), "37");
  ASSERT_EQ(statusText(file.open(directory.file("a").c_str(), OpenMode::Output)), "00");
  EXPECT_EQ(statusText(file.open(directory.file("b").c_str(), OpenMode::Output)), "41");
  char record[16] = {};
  EXPECT_EQ(statusText(file.readNext(record)), "47");
  file.close();
#ifndef _WIN32  // a file nobody may read: file modes, and not for the super-user
  if (geteuid() != 0) {
    ASSERT_TRUE(testing::writeFile(directory.file("locked"), "x"));
    chmod(directory.file("locked").c_str(), 0);
    EXPECT_EQ(statusText(file.open(directory.file("locked").c_str(), OpenMode::Input)), "37");
  }
#endif
}

TEST(RecordFileTest, TrailingPartialRecordIsNotASuccess) {
  TemporaryDirectory directory;
  std::string path = directory.file("f.bin");
  ASSERT_TRUE(testing::writeFile(path, std::string(1024, 'x') + "tail"));
  RecordFile in(Organization::RecordSequential, 1024);
  ASSERT_EQ(statusText(in.open(path.c_str(), OpenMode::Input)), "00");
  char record[1024];
  EXPECT_EQ(statusText(in.readNext(record)), "00");
  EXPECT_EQ(statusText(in.readNext(record)), "04");
  EXPECT_EQ(std::string(record, 4), "tail");
  EXPECT_EQ(in.partialRecordBytes(), 4u);
  EXPECT_EQ(statusText(in.readNext(record)), "10");
}

TEST(RecordFileTest, ExtendAddsAfterTheExistingRecords) {
  TemporaryDirectory directory;
  std::string path = directory.file("f.txt");
  RecordFile file(Organization::LineSequential, 10);
  ASSERT_EQ(statusText(file.open(path.c_str(), OpenMode::Output)), "00");
  file.write("first     ");
  file.close();
  ASSERT_EQ(statusText(file.open(path.c_str(), OpenMode::Extend)), "00");
  file.write("second  x ");
  file.close();
  EXPECT_EQ(testing::readFile(path), "first\nsecond  x\n");  // trailing spaces trimmed
  ASSERT_EQ(statusText(file.open(path.c_str(), OpenMode::Input)), "00");
  char record[10];
  EXPECT_EQ(statusText(file.readNext(record)), "00");
  EXPECT_EQ(std::string(record, 10), "first     ");
  EXPECT_EQ(statusText(file.readNext(record)), "00");
  EXPECT_EQ(std::string(record, 10), "second  x ");
  EXPECT_EQ(statusText(file.readNext(record)), "10");
}

#ifndef _WIN32
// A record file is a regular file: a FIFO (which would wait for its other end), a device, a
// socket or a directory is refused with "37" at the open, for reading and for writing alike,
// at once (each open runs in a child that is ended, failing the case, if it waits).
TEST(RecordFileTest, WhatIsNotARegularFileIsRefusedAtOnce) {
  TemporaryDirectory directory;
  const std::string fifo = directory.file("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string socketPath = directory.file("socket");
  int listening = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{.sun_family = AF_UNIX, .sun_path = {}};  // the path's end stays a zero:
  ASSERT_LT(socketPath.copy(address.sun_path, sizeof address.sun_path), sizeof address.sun_path);
  ASSERT_EQ(bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  const struct {
    const char* kind;
    std::string path;
  } cases[] = {{"FIFO", fifo}, {"device", "/dev/null"}, {"socket", socketPath},
               {"directory", directory.path()}};
  for (const auto& c : cases) {
    for (OpenMode mode : {OpenMode::Input, OpenMode::Output, OpenMode::Extend}) {
      int answer = testing::runInChildWithGuard([&c, mode] {
        RecordFile file(Organization::RecordSequential, 16);
        return file.open(c.path.c_str(), mode).is('3', '7') ? 0 : 1;
      });
      EXPECT_EQ(answer, 0) << c.kind << " mode " << static_cast<int>(mode);
    }
  }
  close(listening);
}

#endif

TEST(RecordFileTest, FullDeviceIsReportedAsNoRoom) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no device that is always full";
#endif
  // A line file may be a device (a record file may not): the device that is always full.
  RecordFile file(Organization::LineSequential, 1024);
  ASSERT_EQ(statusText(file.open("/dev/full", OpenMode::Output)), "00");
  std::string record(1024, 'r');
  FileStatus status = status::kSuccess;
  for (int i = 0; i < 2000 && status.ok(); ++i) status = file.write(record.data());
  if (status.ok()) status = file.close(); else file.close();
  EXPECT_EQ(statusText(status), "34");
}

// A write that fails with ENOSPC once `allowed` bytes went through, after half a record.
long limitedBytes = 0;
long limitedWrite(int fd, const void* buffer, std::size_t count) {
  if (limitedBytes <= 0) {
    errno = ENOSPC;
    return -1;
  }
  std::size_t now = count < static_cast<std::size_t>(limitedBytes) ? count
                                                                   : static_cast<std::size_t>(limitedBytes);
  long written = ::write(fd, buffer, now);
  limitedBytes -= written;
  return written;
}

TEST(RecordFileTest, FailedWriteLeavesOnlyWholeRecords) {
#ifdef _WIN32
  GTEST_SKIP() << "the system-call table is the POSIX half's seam (Windows: its own test below)";
#endif
  TemporaryDirectory directory;
  std::string path = directory.file("f.bin");
  FileSystemCalls calls = realFileSystemCalls();
  calls.write = limitedWrite;
  limitedBytes = 1024 * 1100 + 512;  // the disk fills half-way through record 1101
  RecordFile file(Organization::RecordSequential, 1024);
  file.useCalls(calls);
  ASSERT_EQ(statusText(file.open(path.c_str(), OpenMode::Output)), "00");
  FileStatus status = status::kSuccess;
  int written = 0;
  for (; written < 3000; ++written) {
    status = file.write(recordOf(written, 1024).data());
    if (!status.ok()) break;
  }
  EXPECT_EQ(statusText(status), "34");
  EXPECT_EQ(statusText(file.write(recordOf(0, 1024).data())), "34");  // stays failed
  EXPECT_EQ(statusText(file.close()), "34");
  std::string content = testing::readFile(path);
  ASSERT_EQ(content.size(), 1100u * 1024);
  for (int i = 0; i < 1100; ++i) ASSERT_EQ(content.substr(i * 1024u, 1024), recordOf(i, 1024));
}

TEST(RecordFileTest, FailureAtTheFinalFlushIsReportedByClose) {
#ifdef _WIN32
  GTEST_SKIP() << "the system-call table is the POSIX half's seam (Windows: its own test below)";
#endif
  TemporaryDirectory directory;
  std::string path = directory.file("f.bin");
  FileSystemCalls calls = realFileSystemCalls();
  calls.write = limitedWrite;
  limitedBytes = 100;
  RecordFile file(Organization::RecordSequential, 1024);
  file.useCalls(calls);
  ASSERT_EQ(statusText(file.open(path.c_str(), OpenMode::Output)), "00");
  for (int i = 0; i < 5; ++i) ASSERT_EQ(statusText(file.write(recordOf(i, 1024).data())), "00");
  EXPECT_EQ(statusText(file.close()), "34");
  EXPECT_EQ(testing::fileSize(path), 0);
}

#ifdef _WIN32
class RecordFileInFolderTest : public testing::InFreshDirectory {};

// A write that fails for want of room once `roomLeft` bytes went through.
long long roomLeft = 0;
long writeUntilFull(int file, const void* buffer, std::size_t count) {
  if (roomLeft <= 0) {
    SetLastError(ERROR_DISK_FULL);
    return -1;
  }
  const std::size_t now = count < static_cast<std::size_t>(roomLeft)
                              ? count
                              : static_cast<std::size_t>(roomLeft);
  const long written = realFileSystemCalls().write(file, buffer, now);
  roomLeft -= written;
  return written;
}

TEST_F(RecordFileInFolderTest, RecordFileStatusesAndAFullDiskCutBackToWholeRecords) {
  RecordFile file(Organization::RecordSequential, 1024);
  EXPECT_EQ("35", statusText(file.open("missing.bin", OpenMode::Input)));
  EXPECT_EQ("35", statusText(file.open("no\\such\\missing.bin", OpenMode::Input)));
  EXPECT_EQ("37", statusText(file.open(folder().c_str(), OpenMode::Input)));
  FileSystemCalls calls = realFileSystemCalls();
  calls.write = writeUntilFull;
  roomLeft = 1024 * 1100 + 512;  // the disk fills half-way through record 1101
  file.useCalls(calls);
  ASSERT_EQ("00", statusText(file.open("full.bin", OpenMode::Output)));
  const std::string record(1024, 'r');
  FileStatus status = status::kSuccess;
  for (int i = 0; i < 3000 && status.ok(); ++i) status = file.write(record.data());
  EXPECT_EQ("34", statusText(status));
  EXPECT_EQ("34", statusText(file.close()));
  EXPECT_EQ(1100u * 1024, std::filesystem::file_size("full.bin"));
}
#endif

}  // namespace
}  // namespace dunax::platform
