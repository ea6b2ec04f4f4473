// The record-file handler's Windows part: the real file-system calls through CreateFileW,
// ReadFile, WriteFile, FlushFileBuffers and SetEndOfFile (the cut back to the last whole record
// after a failed write), opening a record file (only a file on a disk), and the host's answers
// to the portable part.
#include "platform/record_file.h"

#include <fcntl.h>
#include <windows.h>

#include <string>

#include "platform/record_file_host.h"
#include "platform/status.h"
#include "platform/win32/native_name.h"

namespace dunax::platform {
namespace {

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

}  // namespace

namespace host {

int lastError() { return static_cast<int>(GetLastError()); }
bool interrupted(int /*error*/) { return false; }  // no call here is cut short by a signal
int noSpaceError() { return ERROR_DISK_FULL; }
void dropReadPages(int /*file*/, long long /*offset*/, long long /*length*/) {
  // The system cache manager drops what a sequential reader has passed by itself.
}

}  // namespace host

const FileSystemCalls& realFileSystemCalls() {
  static const FileSystemCalls calls = {realOpen, realRead, realWrite,
                                        realFsync, realFtruncate, realClose};
  return calls;
}

// permissionOf is not used: a new file on Windows takes the access its folder hands down, as
// the data file beside it did.
FileStatus RecordFile::open(const char* path, OpenMode mode, const char* /*permissionOf*/) {
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
  // A directory's entries need no flush of their own here.
  attach(fd, mode, mode == OpenMode::Extend ? size.QuadPart : 0, std::string());
  return status::kSuccess;
}

void RecordFile::flushDirectoryEntry() {
  // The file's own flush writes its directory entry through on Windows.
}

}  // namespace dunax::platform
