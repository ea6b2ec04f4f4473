// The file routines on Windows: CreateDirectoryW, RemoveDirectoryW, SetCurrentDirectoryW (a
// drive alone selects the directory last current on it), GetCurrentDirectoryW, the real path
// through GetFinalPathNameByHandleW, CopyFileW, DeleteFileW, a MoveFileExW that never replaces, and
// publishing a file (FlushFileBuffers, then MoveFileExW over the old one, written through).
#include "platform/file_routines.h"

#include <windows.h>

#include <string>
#include <vector>

#include "platform/durable_files.h"
#include "platform/host_path.h"
#include "platform/win32/native_name.h"
#include "platform/win32/wide_text.h"

namespace dunax::platform {
namespace {

Status invalid() { return Status::fromNative(ERROR_INVALID_NAME); }

// The wide name of a request's name (record form), or why there is none.
Expected<std::wstring> wideNameOfRecord(std::string_view name) {
  const Expected<std::string> host = hostNameFromRecord(name);
  if (!host) return invalid();
  return win32::nativeName(*host);
}

Status statusOf(BOOL succeeded) { return succeeded ? Status() : win32::lastError(); }

bool isAsciiLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// A wide text from a call that answers the length it needs when the buffer is too small.
template <typename Call>
Expected<std::wstring> wideTextFrom(Call call) {
  std::vector<wchar_t> buffer(MAX_PATH + 1);
  for (int tries = 0; tries < 4; ++tries) {
    const DWORD length = call(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length == 0) return win32::lastError();
    if (length < buffer.size()) return std::wstring(buffer.data(), length);
    buffer.resize(length + 1);
  }
  return Status::fromNative(ERROR_INSUFFICIENT_BUFFER);
}

// A name as the user reads it: "\\?\C:\x" as "C:\x", "\\?\UNC\server\share" as
// "\\server\share".
std::wstring withoutLongPrefix(std::wstring name) {
  if (name.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\\\" + name.substr(8);
  if (name.rfind(L"\\\\?\\", 0) == 0) return name.substr(4);
  return name;
}

// The file's identity (volume and index), for telling two names of one file apart.
bool identityOf(const std::wstring& name, BY_HANDLE_FILE_INFORMATION& info) {
  HANDLE file = CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool known = GetFileInformationByHandle(file, &info) != 0;
  CloseHandle(file);
  return known;
}

// The final name of an existing file or directory (links followed), as the user reads it.
Expected<std::wstring> finalNameOf(const std::wstring& name) {
  HANDLE file = CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return win32::lastError();
  Expected<std::wstring> final = wideTextFrom([file](DWORD size, wchar_t* buffer) {
    return GetFinalPathNameByHandleW(file, buffer, size, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  });
  CloseHandle(file);
  if (!final) return final.status();
  return withoutLongPrefix(std::move(*final));
}

}  // namespace

Status createDirectory(std::string_view name) {
  const Expected<std::wstring> wide = wideNameOfRecord(name);
  if (!wide) return wide.status();
  return statusOf(CreateDirectoryW(wide->c_str(), nullptr));
}

Status deleteDirectory(std::string_view name) {
  const Expected<std::wstring> wide = wideNameOfRecord(name);
  if (!wide) return wide.status();
  return statusOf(RemoveDirectoryW(wide->c_str()));
}

Status changeDirectory(std::string_view name) {
  const Expected<std::wstring> wide = wideNameOfRecord(name);
  if (!wide) return wide.status();
  // "D:" alone: the directory last current on drive D, which the process keeps in its
  // environment as "=D:" (as the command interpreter and the C run-time do); its root when
  // there is none.
  if (!SetCurrentDirectoryW(wide->c_str())) return win32::lastError();
  const Expected<std::wstring> now = wideTextFrom([](DWORD size, wchar_t* buffer) {
    return GetCurrentDirectoryW(size, buffer);
  });
  if (now && now->size() >= 2 && isAsciiLetter((*now)[0]) && (*now)[1] == L':') {
    const wchar_t variable[] = {L'=', (*now)[0], L':', L'\0'};
    SetEnvironmentVariableW(variable, now->c_str());
  }
  return Status();
}

Expected<std::string> currentDirectory() {
  const Expected<std::wstring> now = wideTextFrom([](DWORD size, wchar_t* buffer) {
    return GetCurrentDirectoryW(size, buffer);
  });
  if (!now) return now.status();
  return win32::utf8FromWide(withoutLongPrefix(*now));
}

Expected<std::string> realPath(std::string_view name) {
  Expected<std::string> named = hostPathFrom(name);
  if (!named) return named.status();
  const Expected<std::wstring> wide = win32::nativeName(*named);
  if (!wide) return wide.status();
  // Absolute, "." and ".." resolved, by the system's own rules for drives and shares.
  Expected<std::wstring> full = wideTextFrom([&wide](DWORD size, wchar_t* buffer) {
    return GetFullPathNameW(wide->c_str(), size, buffer, nullptr);
  });
  if (!full) return full.status();
  std::wstring head = std::move(*full);
  // Resolve the longest leading part that exists (a root always does); keep the rest as written.
  std::wstring rest;
  for (;;) {
    Expected<std::wstring> final = finalNameOf(head);
    if (final) {
      std::wstring real = std::move(*final);
      if (!rest.empty()) {
        if (real.back() != L'\\') real += L'\\';
        real += rest;
      }
      return win32::utf8FromWide(withoutLongPrefix(real));
    }
    if (!final.status().is(StatusCode::NotFound)) return final.status();
    const std::size_t slash = head.find_last_of(L'\\');
    if (slash == std::wstring::npos || slash + 1 == head.size()) return final.status();
    const std::wstring part = head.substr(slash + 1);
    rest = rest.empty() ? part : part + L"\\" + rest;
    // Keep the root's own "\" ("C:\", "\\?\C:\").
    head.resize(head[slash - 1] == L':' || slash < 3 ? slash + 1 : slash);
  }
}

Status copyFile(std::string_view source, std::string_view target) {
  const Expected<std::wstring> from = wideNameOfRecord(source);
  if (!from) return from.status();
  const Expected<std::wstring> to = wideNameOfRecord(target);
  if (!to) return to.status();
  BY_HANDLE_FILE_INFORMATION sourceInfo;
  if (!identityOf(*from, sourceInfo)) return win32::lastError();
  if ((sourceInfo.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return invalid();
  BY_HANDLE_FILE_INFORMATION targetInfo;
  if (identityOf(*to, targetInfo) &&
      targetInfo.dwVolumeSerialNumber == sourceInfo.dwVolumeSerialNumber &&
      targetInfo.nFileIndexHigh == sourceInfo.nFileIndexHigh &&
      targetInfo.nFileIndexLow == sourceInfo.nFileIndexLow) {
    return invalid();
  }
  return statusOf(CopyFileW(from->c_str(), to->c_str(), FALSE));
}

Status deleteFile(std::string_view name) {
  const Expected<std::wstring> wide = wideNameOfRecord(name);
  if (!wide) return wide.status();
  const DWORD attributes = GetFileAttributesW(wide->c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return Status::failure(StatusCode::IsDirectory);
  }
  return statusOf(DeleteFileW(wide->c_str()));
}

Status renameFile(std::string_view oldName, std::string_view newName) {
  const Expected<std::wstring> from = wideNameOfRecord(oldName);
  if (!from) return from.status();
  const Expected<std::wstring> to = wideNameOfRecord(newName);
  if (!to) return to.status();
  // Without MOVEFILE_REPLACE_EXISTING an existing new name is refused (ERROR_ALREADY_EXISTS).
  return statusOf(MoveFileExW(from->c_str(), to->c_str(), 0));
}

Status publishFile(std::string_view temporaryName, std::string_view finalName) {
  const Expected<std::string> fromHost = hostNameFromRecord(temporaryName);
  if (!fromHost) return invalid();
  const Expected<std::string> toHost = hostNameFromRecord(finalName);
  if (!toHost) return invalid();
  const Expected<std::wstring> from = win32::nativeName(*fromHost);
  if (!from) return from.status();
  const Expected<std::wstring> to = win32::nativeName(*toHost);
  if (!to) return to.status();
  HANDLE file = CreateFileW(from->c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return win32::lastError();
  const bool flushed = FlushFileBuffers(file) != 0;
  const Status flushFailure = flushed ? Status() : win32::lastError();
  CloseHandle(file);
  if (!flushed) return flushFailure;
  const DWORD replaced = GetFileAttributesW(to->c_str());
  if (replaced != INVALID_FILE_ATTRIBUTES) {
    // Only a plain file is replaced: a directory, a link or a device is left alone.
    if ((replaced & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT |
                     FILE_ATTRIBUTE_DEVICE)) != 0) {
      return Status::fromNative(ERROR_ACCESS_DENIED);
    }
    // The replaced file's read-only and hidden marks go over to the new one, as its permission
    // bits do on POSIX; a read-only one is replaced all the same.
    const DWORD kept = replaced & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                   FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
    if ((replaced & FILE_ATTRIBUTE_READONLY) != 0) {
      SetFileAttributesW(to->c_str(), replaced & ~FILE_ATTRIBUTE_READONLY);
    }
    if (kept != 0) SetFileAttributesW(from->c_str(), kept);
  }
  if (const Status failure = replaceFileWhole(fromHost->c_str(), toHost->c_str()); !failure.ok()) {
    // Both names as they were: the old file keeps its marks, the temporary one loses them.
    if (replaced != INVALID_FILE_ATTRIBUTES) {
      SetFileAttributesW(to->c_str(), replaced);
      SetFileAttributesW(from->c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    return failure;
  }
  return Status();
}

}  // namespace dunax::platform
