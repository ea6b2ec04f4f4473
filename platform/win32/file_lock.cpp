// The file lock on Windows: the lock file opened for reading with no sharing at all, so that no
// one else can open it while it is held (the open is tried again within the wait). A lock file
// to be removed is deleted by the system when the handle closes, whichever way the process
// ends; one that this user may not delete (one that a crash of another user's run left behind)
// is opened the same way without the deletion, so it never locks anyone out.
#include "platform/file_lock.h"

#include <windows.h>

#include "platform/win32/native_name.h"

namespace dunax::platform {
namespace {

// Opens the lock file name with no sharing, deletion on close when removed. Returns the handle,
// or INVALID_HANDLE_VALUE with the last error set.
HANDLE openUnshared(const std::wstring& name, LockFileAfter after) {
  const DWORD flags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT;
  if (after == LockFileAfter::Removed) {
    HANDLE file = CreateFileW(name.c_str(), GENERIC_READ | DELETE, 0, nullptr, OPEN_ALWAYS,
                              flags | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_ACCESS_DENIED) return file;
    return CreateFileW(name.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, flags, nullptr);
  }
  return CreateFileW(name.c_str(), GENERIC_READ, 0, nullptr, OPEN_ALWAYS, flags, nullptr);
}

}  // namespace

FileLock::~FileLock() { release(); }

Status FileLock::acquire(const std::string& path, int waitMilliseconds, LockFileAfter after) {
  if (handle_ >= 0) return Status::failure(StatusCode::Busy, "this lock is held already");
  const Expected<std::wstring> name = win32::nativeName(path);
  if (!name) return name.status();
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int waited = 0;; waited += 10) {
    file = openUnshared(*name, after);
    if (file != INVALID_HANDLE_VALUE) break;
    // Held elsewhere: the open is refused for sharing (Busy).
    if (GetLastError() != ERROR_SHARING_VIOLATION || waited >= waitMilliseconds) {
      return win32::lastError();
    }
    Sleep(10);
  }
  BY_HANDLE_FILE_INFORMATION information{};
  if (!GetFileInformationByHandle(file, &information) ||
      (information.dwFileAttributes &
       (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
    CloseHandle(file);
    return Status::failure(StatusCode::PermissionDenied, "the lock file is not a regular file");
  }
  // A handle's value fits 32 bits on every Windows (HandleToLong), so it is kept as an int.
  handle_ = static_cast<int>(HandleToLong(file));
  path_ = path;
  after_ = after;
  return Status();
}

void FileLock::release() {
  if (handle_ < 0) return;
  CloseHandle(LongToHandle(handle_));  // the system deletes a lock file to be removed here
  handle_ = -1;
  path_.clear();
}

}  // namespace dunax::platform
