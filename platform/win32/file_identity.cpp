// The identity of a file on Windows: the volume's serial number and the file index of
// GetFileInformationByHandle.
#include "platform/file_identity.h"

#include <windows.h>

#include <string>

#include "platform/file_routines.h"
#include "platform/win32/native_name.h"

namespace dunax::platform {

Expected<FileIdentity> fileIdentity(std::string_view name) {
  Expected<std::string> path = hostPathFrom(name);
  if (!path) return path.status();
  const Expected<std::wstring> wide = win32::nativeName(*path);
  if (!wide) return wide.status();
  // No access is asked for (only the attributes are read), every sharing is allowed, and a
  // folder opens too (backup semantics).
  HANDLE file = CreateFileW(wide->c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return win32::lastError();
  BY_HANDLE_FILE_INFORMATION information{};
  const BOOL found = GetFileInformationByHandle(file, &information);
  const Status failure = found ? Status() : win32::lastError();
  CloseHandle(file);
  if (!found) return failure;
  return FileIdentity{information.dwVolumeSerialNumber,
                      (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) |
                          information.nFileIndexLow};
}

}  // namespace dunax::platform
