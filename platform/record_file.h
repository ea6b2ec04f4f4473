// Record files: fixed-length record sequential files (records back to back, no header, no
// separator) and line sequential text files (one record a line, trailing spaces trimmed).
// Every operation answers with a 2-character COBOL file status; nothing throws.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "platform/file_status.h"

namespace dunax::platform {

enum class Organization { RecordSequential, LineSequential };
enum class OpenMode { Closed, Input, Output, Extend };

// The operating-system calls the record-file handler makes, so that a test can make the Nth
// write fail for real reasons (disk full, size limit) without filling a disk. A file is an
// int: a descriptor on POSIX, a handle on Windows (HandleToLong: a handle's value fits 32 bits
// there). open takes the <fcntl.h> flags (the Windows half reads O_WRONLY, O_RDWR, O_CREAT,
// O_TRUNC and O_APPEND) and answers -1 when it fails; read and write answer the bytes moved or
// -1; the others 0 or -1. A call that fails leaves the host's error number where the host keeps
// it: errno on POSIX, the thread's last error (SetLastError) on Windows.
struct FileSystemCalls {
  int (*open)(const char* path, int flags, int mode);
  long (*read)(int file, void* buffer, std::size_t count);
  long (*write)(int file, const void* buffer, std::size_t count);
  int (*fsync)(int file);
  int (*ftruncate)(int file, long long length);
  int (*close)(int file);
};
// The calls the handler makes unless a test has replaced them.
const FileSystemCalls& realFileSystemCalls();

class RecordFile {
 public:
  // recordLength is the fixed record length in bytes (at most 64 KiB).
  RecordFile(Organization organization, std::size_t recordLength);
  ~RecordFile();  // closes the file if it is open
  RecordFile(const RecordFile&) = delete;
  RecordFile& operator=(const RecordFile&) = delete;

  // Opens the file named by path (a NUL-terminated host path). Only a regular file (a file on a
  // disk) holds fixed-length records: for a record sequential file a directory, a FIFO, a
  // device or a socket is refused at once, without waiting for a writer or reader at its other
  // end, with "37", the status of a file that cannot be opened that way. A line sequential
  // file (a list, a log) may be a FIFO or a device; a directory is refused with "37".
  // permissionOf (a host path, or nullptr) is for output: a file created takes no more
  // permission than the file found there has (when there is one), so that a temporary file
  // written beside a data file is never readable by more users than the data file.
  // Returns "00"; "35" when an input file does not exist; "37" when permission is denied or
  // the file is not a regular file; "41" when this handle is already open; "30" for any other
  // failure. Output truncates the file; extend appends, creating the file when it is missing.
  FileStatus open(const char* path, OpenMode mode, const char* permissionOf = nullptr);

  // Reads the next record into record (recordLength bytes).
  // Returns "00"; "10" at end of file; "04" for a trailing partial record (the record area then
  // holds the partial bytes followed by spaces for line files, zeros for record files; the
  // next read answers "10"; partialRecordBytes() says how many bytes it had); "46" after end of
  // file was already reported; "47" when not open for input; "30" for a read error (a read
  // that a termination request cut short included: it is not made again).
  FileStatus readNext(void* record);

  // Writes one record of recordLength bytes.
  // Returns "00"; "48" when not open for output or extend; "34" when there is no room (disk
  // full, file-size limit); "30" for any other write error. After a failed write the file ends
  // at its last whole record.
  FileStatus write(const void* record);

  // Closes the file; output is written out and flushed to the disk first.
  // Returns "00"; "42" when not open; "34"/"30" when buffered records could not be written or
  // flushed (the file then ends at its last whole record).
  FileStatus close();

  bool isOpen() const { return mode_ != OpenMode::Closed; }
  // The bytes of the trailing partial record that a read answered "04" for since the open; 0
  // when there was none.
  std::size_t partialRecordBytes() const { return partialBytes_; }
  OpenMode mode() const { return mode_; }

  // Whether close flushes the directory entry of a written file too (the start value): a file
  // renamed into place after its close leaves that to whoever flushes its directory after the
  // rename, and is then opened with false.
  void flushDirectoryAtClose(bool flush) { flushDirectoryAtClose_ = flush; }

  // For tests: the handler makes its operating-system calls through this table.
  void useCalls(const FileSystemCalls& calls) { calls_ = &calls; }

 private:
  FileStatus flushBuffer();
  FileStatus fillBuffer();
  // Whether everything read has been handed out (the end of the file is then reported).
  bool drained();
  FileStatus failWrite(int error);
  // Takes over a file the host's open has opened (wholeBytes: its whole records already there;
  // directory: the folder whose entry is flushed at close, empty for input).
  void attach(int file, OpenMode mode, long long wholeBytes, std::string directory);
  void flushDirectoryEntry();

  Organization organization_;
  std::size_t recordLength_;
  const FileSystemCalls* calls_;
  int fd_ = -1;  // the file, as FileSystemCalls takes it
  std::string directory_;  // of a file opened for output or extend
  OpenMode mode_ = OpenMode::Closed;
  bool endReported_ = false;
  bool writeFailed_ = false;
  bool flushDirectoryAtClose_ = true;
  long long wholeBytes_ = 0;  // bytes of whole records known to be on disk
  std::unique_ptr<unsigned char[]> buffer_;
  std::size_t bufferUsed_ = 0;
  std::size_t bufferPos_ = 0;
  long long readBytes_ = 0;  // bytes read from the file since it was opened
  long long droppedBytes_ = 0;  // of those, the bytes whose cached pages were let go
  std::size_t partialBytes_ = 0;  // of a trailing partial record reported with "04"
  bool atEof_ = false;
};

}  // namespace dunax::platform
