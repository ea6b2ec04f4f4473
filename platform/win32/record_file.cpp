// The record-file handler on Windows: buffered fixed-length and line sequential files with
// COBOL file statuses through CreateFileW, ReadFile and WriteFile, a file that never keeps a
// partial record after a failed write (SetFilePointerEx and SetEndOfFile), and output flushed
// to the disk on close (FlushFileBuffers).
#include "platform/record_file.h"

#include <fcntl.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "platform/status.h"
#include "platform/win32/native_name.h"

namespace dunax::platform {
namespace {

constexpr std::size_t kBufferBytes = 1 << 20;
constexpr std::size_t kMaxRecordLength = 1 << 16;

HANDLE handleOf(int file) { return LongToHandle(file); }

// The <fcntl.h> flags as CreateFileW's access and disposition; O_APPEND places the file's
// position at its end.
int realOpen(const char* path, int flags, int /*mode*/) {
  const Expected<std::wstring> name = win32::nativeName(path);
  if (!name) {
    SetLastError(static_cast<DWORD>(name.status().native()));
    return -1;
  }
  const int access = flags & (O_WRONLY | O_RDWR);
  const DWORD desired = access == O_WRONLY ? GENERIC_WRITE
                        : access == O_RDWR ? GENERIC_READ | GENERIC_WRITE
                                           : GENERIC_READ;
  DWORD disposition = OPEN_EXISTING;
  if ((flags & O_CREAT) != 0) disposition = (flags & O_TRUNC) != 0 ? CREATE_ALWAYS : OPEN_ALWAYS;
  else if ((flags & O_TRUNC) != 0) disposition = TRUNCATE_EXISTING;
  HANDLE file = CreateFileW(name->c_str(), desired,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return -1;
  LARGE_INTEGER none{};
  if ((flags & O_APPEND) != 0 && !SetFilePointerEx(file, none, nullptr, FILE_END)) {
    const DWORD error = GetLastError();
    CloseHandle(file);
    SetLastError(error);
    return -1;
  }
  return static_cast<int>(HandleToLong(file));
}

// ReadFile and WriteFile move at most this many bytes a call (their count is a DWORD).
constexpr std::size_t kLargestTransfer = 1u << 30;

long realRead(int file, void* buffer, std::size_t count) {
  DWORD moved = 0;
  const DWORD asked = static_cast<DWORD>(count < kLargestTransfer ? count : kLargestTransfer);
  if (!ReadFile(handleOf(file), buffer, asked, &moved, nullptr)) return -1;
  return static_cast<long>(moved);
}

long realWrite(int file, const void* buffer, std::size_t count) {
  DWORD moved = 0;
  const DWORD asked = static_cast<DWORD>(count < kLargestTransfer ? count : kLargestTransfer);
  if (!WriteFile(handleOf(file), buffer, asked, &moved, nullptr)) return -1;
  return static_cast<long>(moved);
}

int realFsync(int file) { return FlushFileBuffers(handleOf(file)) ? 0 : -1; }

int realFtruncate(int file, long long length) {
  LARGE_INTEGER position;
  position.QuadPart = length;
  if (!SetFilePointerEx(handleOf(file), position, nullptr, FILE_BEGIN)) return -1;
  return SetEndOfFile(handleOf(file)) ? 0 : -1;
}

int realClose(int file) { return CloseHandle(handleOf(file)) ? 0 : -1; }

FileStatus statusForWriteError(DWORD error) {
  return statusCodeOfNative(static_cast<int>(error)) == StatusCode::NoSpace
             ? status::kBoundaryViolation
             : status::kPermanentError;
}

}  // namespace

const FileSystemCalls& realFileSystemCalls() {
  static const FileSystemCalls calls = {realOpen, realRead, realWrite,
                                        realFsync, realFtruncate, realClose};
  return calls;
}

RecordFile::RecordFile(Organization organization, std::size_t recordLength)
    : organization_(organization),
      recordLength_(recordLength > kMaxRecordLength ? kMaxRecordLength : recordLength),
      calls_(&realFileSystemCalls()) {}

RecordFile::~RecordFile() {
  if (isOpen()) close();
}

FileStatus RecordFile::open(const char* path, OpenMode mode) {
  if (isOpen()) return status::kAlreadyOpen;
  if (mode == OpenMode::Closed) return status::kPermanentError;
  int flags = O_RDONLY;
  if (mode == OpenMode::Output) flags = O_WRONLY | O_CREAT | O_TRUNC;
  if (mode == OpenMode::Extend) flags = O_WRONLY | O_CREAT | O_APPEND;
  int fd = calls_->open(path, flags, 0666);
  if (fd == -1) {
    const StatusCode code = statusCodeOfNative(static_cast<int>(GetLastError()));
    if (code == StatusCode::NotFound && mode == OpenMode::Input) return status::kFileNotFound;
    if (code == StatusCode::PermissionDenied || code == StatusCode::InvalidName) {
      return status::kPermissionDenied;
    }
    return status::kPermanentError;
  }
  // Only a file on a disk holds records: a console, a pipe or a printer is refused.
  LARGE_INTEGER size{};
  if (GetFileType(handleOf(fd)) != FILE_TYPE_DISK || !GetFileSizeEx(handleOf(fd), &size)) {
    calls_->close(fd);
    return status::kPermissionDenied;
  }
  if (!buffer_) buffer_ = std::make_unique<unsigned char[]>(kBufferBytes);
  fd_ = fd;
  mode_ = mode;
  endReported_ = false;
  writeFailed_ = false;
  atEof_ = false;
  bufferUsed_ = 0;
  bufferPos_ = 0;
  wholeBytes_ = mode == OpenMode::Extend ? size.QuadPart : 0;
  directory_.clear();  // a directory's entries need no flush of their own here
  return status::kSuccess;
}

FileStatus RecordFile::fillBuffer() {
  // Keep the unread tail at the front, then read as much as fits.
  if (bufferPos_ > 0) {
    std::memmove(buffer_.get(), buffer_.get() + bufferPos_, bufferUsed_ - bufferPos_);
    bufferUsed_ -= bufferPos_;
    bufferPos_ = 0;
  }
  while (!atEof_ && bufferUsed_ < kBufferBytes) {
    long n = calls_->read(fd_, buffer_.get() + bufferUsed_, kBufferBytes - bufferUsed_);
    if (n < 0) return status::kPermanentError;
    if (n == 0) {
      atEof_ = true;
      break;
    }
    bufferUsed_ += static_cast<std::size_t>(n);
    if (organization_ == Organization::RecordSequential && bufferUsed_ >= recordLength_) break;
    if (organization_ == Organization::LineSequential &&
        std::memchr(buffer_.get(), '\n', bufferUsed_) != nullptr) {
      break;
    }
  }
  return status::kSuccess;
}

FileStatus RecordFile::readNext(void* record) {
  if (mode_ != OpenMode::Input) return status::kNotOpenForInput;
  if (endReported_) return status::kReadAfterEnd;
  auto* out = static_cast<unsigned char*>(record);
  if (organization_ == Organization::RecordSequential) {
    if (bufferUsed_ - bufferPos_ < recordLength_) {
      FileStatus filled = fillBuffer();
      if (!filled.ok()) return filled;
    }
    std::size_t available = bufferUsed_ - bufferPos_;
    if (available == 0) {
      endReported_ = true;
      return status::kEndOfFile;
    }
    if (available < recordLength_) {
      std::memcpy(out, buffer_.get() + bufferPos_, available);
      std::memset(out + available, 0, recordLength_ - available);
      bufferPos_ = bufferUsed_;
      return status::kLengthMismatch;
    }
    std::memcpy(out, buffer_.get() + bufferPos_, recordLength_);
    bufferPos_ += recordLength_;
    return status::kSuccess;
  }
  // Line sequential: one line, without its "\n" (or "\r\n"), padded with spaces.
  const void* newline = nullptr;
  for (;;) {
    newline = std::memchr(buffer_.get() + bufferPos_, '\n', bufferUsed_ - bufferPos_);
    if (newline != nullptr || atEof_ || (bufferPos_ == 0 && bufferUsed_ == kBufferBytes)) break;
    FileStatus filled = fillBuffer();
    if (!filled.ok()) return filled;
  }
  std::size_t available = bufferUsed_ - bufferPos_;
  if (available == 0) {
    endReported_ = true;
    return status::kEndOfFile;
  }
  std::size_t lineLength =
      newline ? static_cast<std::size_t>(static_cast<const unsigned char*>(newline) -
                                         (buffer_.get() + bufferPos_))
              : available;
  std::size_t consumed = newline ? lineLength + 1 : lineLength;
  if (lineLength > 0 && buffer_[bufferPos_ + lineLength - 1] == '\r') --lineLength;
  std::size_t copied = lineLength < recordLength_ ? lineLength : recordLength_;
  std::memcpy(out, buffer_.get() + bufferPos_, copied);
  std::memset(out + copied, ' ', recordLength_ - copied);
  bufferPos_ += consumed;
  return status::kSuccess;
}

FileStatus RecordFile::failWrite(int error) {
  writeFailed_ = true;
  bufferUsed_ = 0;
  // Whatever part of a record reached the disk is cut off again.
  calls_->ftruncate(fd_, wholeBytes_);
  return statusForWriteError(static_cast<DWORD>(error));
}

FileStatus RecordFile::flushBuffer() {
  std::size_t written = 0;
  while (written < bufferUsed_) {
    long n = calls_->write(fd_, buffer_.get() + written, bufferUsed_ - written);
    if (n < 0) {
      const int error = static_cast<int>(GetLastError());
      // Keep the whole records that did reach the disk.
      if (organization_ == Organization::RecordSequential) {
        wholeBytes_ += static_cast<long long>(written / recordLength_ * recordLength_);
      }
      return failWrite(error);
    }
    if (n == 0) {
      return failWrite(ERROR_DISK_FULL);
    }
    written += static_cast<std::size_t>(n);
  }
  wholeBytes_ += static_cast<long long>(written);
  bufferUsed_ = 0;
  return status::kSuccess;
}

FileStatus RecordFile::write(const void* record) {
  if (mode_ != OpenMode::Output && mode_ != OpenMode::Extend) return status::kNotOpenForOutput;
  if (writeFailed_) return status::kBoundaryViolation;
  const auto* in = static_cast<const unsigned char*>(record);
  std::size_t length = recordLength_;
  if (organization_ == Organization::LineSequential) {
    while (length > 0 && in[length - 1] == ' ') --length;
  }
  std::size_t needed = length + (organization_ == Organization::LineSequential ? 1 : 0);
  if (bufferUsed_ + needed > kBufferBytes) {
    FileStatus flushed = flushBuffer();
    if (!flushed.ok()) return flushed;
  }
  std::memcpy(buffer_.get() + bufferUsed_, in, length);
  bufferUsed_ += length;
  if (organization_ == Organization::LineSequential) buffer_[bufferUsed_++] = '\n';
  return status::kSuccess;
}

void RecordFile::flushDirectoryEntry() {
  // The file's own flush writes its directory entry through on Windows.
}

FileStatus RecordFile::close() {
  if (!isOpen()) return status::kNotOpen;
  FileStatus result = status::kSuccess;
  if (mode_ == OpenMode::Output || mode_ == OpenMode::Extend) {
    if (writeFailed_) {
      result = status::kBoundaryViolation;
    } else {
      result = flushBuffer();
      if (result.ok() && calls_->fsync(fd_) != 0) result = status::kPermanentError;
      if (result.ok()) flushDirectoryEntry();
    }
  }
  if (calls_->close(fd_) != 0 && result.ok() && mode_ != OpenMode::Input) {
    result = status::kPermanentError;
  }
  fd_ = -1;
  mode_ = OpenMode::Closed;
  bufferUsed_ = 0;
  bufferPos_ = 0;
  return result;
}

}  // namespace dunax::platform
