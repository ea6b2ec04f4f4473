// Durable renames, removals, replaceability checks and small whole files on Windows:
// MoveFileExW written through to the disk, DeleteFileW, GetFileAttributesW, CreateFileW with
// CREATE_NEW. A directory needs no flush of its own there, and files have no permission bits.
#include "platform/durable_files.h"

#include <windows.h>

#include <string>

#include "platform/win32/native_name.h"

namespace dunax::platform {
namespace {

bool isAbsent(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Opens path as a new file for writing (nothing may be there; a reparse point is not
// followed); INVALID_HANDLE_VALUE when it cannot.
HANDLE createNew(const std::wstring& name) {
  return CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

}  // namespace

Status replaceFile(const char* source, const char* target) {
  detail::beforeDurableStep("rename", target);
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
  detail::beforeDurableStep("remove", path);
  const Expected<std::wstring> name = win32::nativeName(path);
  if (!name) return name.status();
  if (DeleteFileW(name->c_str())) return Status();
  const DWORD error = GetLastError();
  if (isAbsent(error)) return Status();
  return Status::fromNative(static_cast<int>(error));
}

bool fileExists(const char* path) {
  const Expected<std::wstring> name = win32::nativeName(path);
  return name && GetFileAttributesW(name->c_str()) != INVALID_FILE_ATTRIBUTES;
}

Status flushDirectoryOf(const char* path) {
  detail::beforeDurableStep("flush", path);
  // NTFS and FAT keep a directory's entries with the file written through; there is no
  // separate flush of a directory to make.
  return Status();
}

Status checkReplaceablePath(const char* path) {
  const Expected<std::wstring> name = win32::nativeName(path);
  if (!name) return name.status();
  const DWORD attributes = GetFileAttributesW(name->c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    return isAbsent(error) ? Status() : Status::fromNative(static_cast<int>(error));
  }
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    return Status(StatusCode::PermissionDenied, ERROR_ACCESS_DENIED,
                  "a symbolic link is not replaced");
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return Status::failure(StatusCode::IsDirectory);
  }
  if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) {
    return Status(StatusCode::PermissionDenied, ERROR_ACCESS_DENIED,
                  "a FIFO, a device or a socket is not replaced");
  }
  // The read-only mark, or an access list that keeps this process from writing the file.
  const Status readOnly(StatusCode::PermissionDenied, ERROR_ACCESS_DENIED,
                        "a read-only file is not replaced");
  if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) return readOnly;
  HANDLE file = CreateFileW(name->c_str(), GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return error == ERROR_ACCESS_DENIED ? readOnly : Status::fromNative(static_cast<int>(error));
  }
  CloseHandle(file);
  return Status();
}

// The cache manager of Windows keeps no pages that a new file could take over this way.
void releaseCachedPages(const char* /*path*/) {}

int permissionsFollowing(const char* /*path*/) { return kDefaultNewFileMode; }

Status createNewFile(const char* path, int /*mode*/) {
  detail::beforeDurableStep("create", path);
  const Expected<std::wstring> name = win32::nativeName(path);
  if (!name) return name.status();
  HANDLE file = createNew(*name);
  if (file == INVALID_HANDLE_VALUE) return win32::lastError();
  CloseHandle(file);
  return Status();
}

Status writeNewFileDurably(const char* path, std::string_view content, int /*mode*/) {
  detail::beforeDurableStep("create", path);
  const Expected<std::wstring> name = win32::nativeName(path);
  if (!name) return name.status();
  HANDLE file = createNew(*name);
  if (file == INVALID_HANDLE_VALUE) return win32::lastError();
  DWORD written = 0;
  bool ok = WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written,
                      nullptr) &&
            written == content.size() && FlushFileBuffers(file);
  const Status failure = ok ? Status() : win32::lastError();
  CloseHandle(file);
  if (!ok) DeleteFileW(name->c_str());
  return failure;
}

Status readSmallFile(const char* path, std::size_t maxBytes, std::string& content) {
  content.clear();
  const Expected<std::wstring> name = win32::nativeName(path);
  if (!name) return name.status();
  HANDLE file = CreateFileW(name->c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) return win32::lastError();
  BY_HANDLE_FILE_INFORMATION information{};
  if (!GetFileInformationByHandle(file, &information) ||
      (information.dwFileAttributes &
       (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
    CloseHandle(file);
    return Status::failure(StatusCode::InvalidName, "not a regular file");
  }
  char buffer[512];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
      const Status failure = win32::lastError();
      CloseHandle(file);
      return failure;
    }
    if (got == 0) break;
    content.append(buffer, got);
    if (content.size() > maxBytes) {
      CloseHandle(file);
      return Status::failure(StatusCode::InvalidName,
                             "longer than " + std::to_string(maxBytes) + " bytes");
    }
  }
  CloseHandle(file);
  return Status();
}

}  // namespace dunax::platform
