// The exclusive file lock on Windows: the lock file opened for reading with no sharing at all,
// so that no one else can open it while it is held, and deleted by the system when the handle
// closes, whichever way the process ends. A lock file that this user may not delete (one that a
// crash of another user's run left behind) is opened the same way without the deletion, so it
// never locks anyone out.
#include "platform/file_lock.h"

#include <windows.h>

#include "platform/win32/native_name.h"

namespace dunax::platform {

ExclusiveFileLock::~ExclusiveFileLock() { release(); }

Status ExclusiveFileLock::acquire(const std::string& path) {
  release();
  const Expected<std::wstring> name = win32::nativeName(path);
  if (!name) return name.status();
  const DWORD flags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT;
  HANDLE file = CreateFileW(name->c_str(), GENERIC_READ | DELETE, 0, nullptr, OPEN_ALWAYS,
                            flags | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED) {
    file = CreateFileW(name->c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, flags, nullptr);
  }
  // Held elsewhere: the open is refused for sharing (Busy).
  if (file == INVALID_HANDLE_VALUE) return win32::lastError();
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
  return Status();
}

void ExclusiveFileLock::release() {
  if (handle_ < 0) return;
  CloseHandle(LongToHandle(handle_));  // the system deletes the lock file with its last handle
  handle_ = -1;
  path_.clear();
}

}  // namespace dunax::platform
