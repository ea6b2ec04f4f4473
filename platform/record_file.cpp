// The record-file handler's portable part: buffered fixed-length and line sequential files with
// COBOL file statuses, a file that never keeps a partial record after a failed write, and output
// flushed to the disk on close. Opening a file and flushing its directory entry are the host's
// (posix/record_file.cpp, win32/record_file.cpp).
#include "platform/record_file.h"

#include <cstring>
#include <utility>

#include "platform/record_file_host.h"
#include "platform/session.h"
#include "platform/status.h"

namespace dunax::platform {
namespace {

// A record file's buffer: 128 KiB, so that the reader's buffer, the writer's buffer and the
// records between them stay in the processor's second-level cache while the kernel copies
// through them (1 MiB each was measured slower). A line file keeps 1 MiB: its longest line is
// the buffer.
constexpr std::size_t kRecordBufferBytes = 1 << 17;
constexpr std::size_t kLineBufferBytes = 1 << 20;
constexpr std::size_t kMaxRecordLength = 1 << 16;
// The pages read are let go a mebibyte at a time: one call for eight fills.
constexpr long long kDropBatchBytes = 1 << 20;

std::size_t bufferBytesFor(Organization organization) {
  return organization == Organization::RecordSequential ? kRecordBufferBytes : kLineBufferBytes;
}

}  // namespace

RecordFile::RecordFile(Organization organization, std::size_t recordLength)
    : organization_(organization),
      recordLength_(recordLength > kMaxRecordLength ? kMaxRecordLength : recordLength),
      calls_(&realFileSystemCalls()) {}

RecordFile::~RecordFile() {
  if (isOpen()) close();
}

void RecordFile::attach(int file, OpenMode mode, long long wholeBytes, std::string directory) {
  // Not cleared: every byte is written before it is read, and a file of a few records then
  // touches a few pages of the buffer, not all of them.
  if (!buffer_) {
    buffer_ = std::make_unique_for_overwrite<unsigned char[]>(bufferBytesFor(organization_));
  }
  fd_ = file;
  mode_ = mode;
  endReported_ = false;
  writeFailed_ = false;
  atEof_ = false;
  bufferUsed_ = 0;
  bufferPos_ = 0;
  readBytes_ = 0;
  droppedBytes_ = 0;
  partialBytes_ = 0;
  wholeBytes_ = wholeBytes;
  directory_ = std::move(directory);
}

FileStatus RecordFile::fillBuffer() {
  // Keep the unread tail at the front, then read as much as fits.
  if (bufferPos_ > 0) {
    std::memmove(buffer_.get(), buffer_.get() + bufferPos_, bufferUsed_ - bufferPos_);
    bufferUsed_ -= bufferPos_;
    bufferPos_ = 0;
  }
  const std::size_t bufferBytes = bufferBytesFor(organization_);
  while (!atEof_ && bufferUsed_ < bufferBytes) {
    long n = calls_->read(fd_, buffer_.get() + bufferUsed_, bufferBytes - bufferUsed_);
    if (n < 0) {
      // A signal that cut the read short: read again, unless the process is being ended.
      if (host::interrupted(host::lastError()) && !terminationRequested()) continue;
      return status::kPermanentError;
    }
    if (n == 0) {
      atEof_ = true;
      break;
    }
    bufferUsed_ += static_cast<std::size_t>(n);
    readBytes_ += n;
    if (organization_ == Organization::RecordSequential && bufferUsed_ >= recordLength_) break;
    if (organization_ == Organization::LineSequential &&
        std::memchr(buffer_.get(), '\n', bufferUsed_) != nullptr) {
      break;
    }
  }
  // A record file is read once, front to back: the pages just copied into the buffer leave the
  // page cache, so that what the reading process writes next reuses them instead of taking
  // fresh memory (a data file written beside the old one while that stays cached).
  if (organization_ == Organization::RecordSequential &&
      (readBytes_ - droppedBytes_ >= kDropBatchBytes || (atEof_ && readBytes_ > droppedBytes_))) {
    host::dropReadPages(fd_, droppedBytes_, readBytes_ - droppedBytes_);
    droppedBytes_ = readBytes_;
  }
  return status::kSuccess;
}

bool RecordFile::drained() {
  if (bufferPos_ < bufferUsed_) return false;
  endReported_ = true;
  return true;
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
    if (drained()) return status::kEndOfFile;
    const std::size_t available = bufferUsed_ - bufferPos_;
    if (available < recordLength_) {
      std::memcpy(out, buffer_.get() + bufferPos_, available);
      std::memset(out + available, 0, recordLength_ - available);
      bufferPos_ = bufferUsed_;
      partialBytes_ = available;
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
    bool bufferFull = bufferPos_ == 0 && bufferUsed_ == bufferBytesFor(organization_);
    if (newline != nullptr || atEof_ || bufferFull) break;
    FileStatus filled = fillBuffer();
    if (!filled.ok()) return filled;
  }
  if (drained()) return status::kEndOfFile;
  const std::size_t available = bufferUsed_ - bufferPos_;
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
  return writeStatusOf(Status::failure(statusCodeOfNative(error)));
}

FileStatus RecordFile::flushBuffer() {
  std::size_t written = 0;
  while (written < bufferUsed_) {
    long n = calls_->write(fd_, buffer_.get() + written, bufferUsed_ - written);
    if (n < 0) {
      const int error = host::lastError();
      if (host::interrupted(error) && !terminationRequested()) continue;
      // Keep the whole records that did reach the disk.
      if (organization_ == Organization::RecordSequential) {
        wholeBytes_ += static_cast<long long>(written / recordLength_ * recordLength_);
      }
      return failWrite(error);
    }
    if (n == 0) {
      return failWrite(host::noSpaceError());
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
  if (bufferUsed_ + needed > bufferBytesFor(organization_)) {
    FileStatus flushed = flushBuffer();
    if (!flushed.ok()) return flushed;
  }
  std::memcpy(buffer_.get() + bufferUsed_, in, length);
  bufferUsed_ += length;
  if (organization_ == Organization::LineSequential) buffer_[bufferUsed_++] = '\n';
  return status::kSuccess;
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
      if (result.ok() && flushDirectoryAtClose_) flushDirectoryEntry();
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
