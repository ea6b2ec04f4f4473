// The exclusive file lock on Windows: the lock file opened with no sharing at all, so that no
// one else can open it while it is held, and deleted by the system when the handle closes,
// whichever way the process ends.
#include "platform/file_lock.h"

#include <windows.h>

#include "platform/win32/native_name.h"

namespace dunax::platform {

ExclusiveFileLock::~ExclusiveFileLock() { release(); }

Status ExclusiveFileLock::acquire(const std::string& path) {
  release();
  const Expected<std::wstring> name = win32::nativeName(path);
  if (!name) return name.status();
  HANDLE file = CreateFileW(name->c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  // Held elsewhere: the open is refused for sharing (Busy).
  if (file == INVALID_HANDLE_VALUE) return win32::lastError();
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
