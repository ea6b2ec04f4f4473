// Durable renames, removals and existence on Windows: MoveFileExW written through to the disk,
// DeleteFileW, GetFileAttributesW. A directory needs no flush of its own there.
#include "platform/durable_files.h"

#include <windows.h>

#include <string>

#include "platform/win32/native_name.h"

namespace dunax::platform {

Status replaceFile(const char* source, const char* target) {
  const Expected<std::wstring> from = win32::nativeName(source);
  if (!from) return from.status();
  const Expected<std::wstring> to = win32::nativeName(target);
  if (!to) return to.status();
  if (MoveFileExW(from->c_str(), to->c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return Status();
  }
  return win32::lastError();
}

Status removeFileIfPresent(const char* path) {
  const Expected<std::wstring> name = win32::nativeName(path);
  if (!name) return name.status();
  if (DeleteFileW(name->c_str())) return Status();
  const DWORD error = GetLastError();
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return Status();
  return Status::fromNative(static_cast<int>(error));
}

bool fileExists(const char* path) {
  const Expected<std::wstring> name = win32::nativeName(path);
  return name && GetFileAttributesW(name->c_str()) != INVALID_FILE_ATTRIBUTES;
}

Status flushDirectoryOf(const char* /*path*/) {
  // NTFS and FAT keep a directory's entries with the file written through; there is no
  // separate flush of a directory to make.
  return Status();
}

}  // namespace dunax::platform
