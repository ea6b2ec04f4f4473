// The directory search on Windows: FindFirstFileW/FindNextFileW over the pattern's directory,
// each name matched in the record's form without regard to case (as the host's own search
// does), sizes, kinds and last-write times from the find data; one name looked up through
// its handle, links followed.
#include "platform/directory_search.h"

#include <windows.h>

#include <algorithm>

#include "platform/host_path.h"
#include "platform/win32/native_name.h"
#include "platform/win32/wide_text.h"

namespace dunax::platform {
namespace {

LocalTime localTimeOf(const FILETIME& written) {
  LocalTime time;
  SYSTEMTIME universal;
  SYSTEMTIME local;
  if (!FileTimeToSystemTime(&written, &universal) ||
      !SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local)) {
    return time;
  }
  time.year = local.wYear;
  time.month = local.wMonth;
  time.day = local.wDay;
  time.hour = local.wHour;
  time.minute = local.wMinute;
  time.second = local.wSecond;
  return time;
}

void fillFrom(DWORD attributes, DWORD sizeHigh, DWORD sizeLow, const FILETIME& written,
              DirectoryEntry& entry) {
  entry.isDirectory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  entry.size = entry.isDirectory ? 0 : (std::uint64_t{sizeHigh} << 32) | sizeLow;
  entry.modified = localTimeOf(written);
}

// A Windows-1252 text in upper case, as the host compares names: ASCII and the code page's
// accented letters (à-þ but ÷, and š, œ, ž, ÿ).
std::string upperWindows1252(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    const unsigned char u = static_cast<unsigned char>(c);
    if ((u >= 'a' && u <= 'z') || (u >= 0xE0 && u <= 0xFE && u != 0xF7)) {
      c = static_cast<char>(u - 0x20);
    } else if (u == 0x9A || u == 0x9C || u == 0x9E) {
      c = static_cast<char>(u - 0x10);
    } else if (u == 0xFF) {
      c = static_cast<char>(0x9F);
    }
  }
  return upper;
}

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// The host name split into its directory (for listing) and its last part: "C:*.DAT" lists
// drive C's current directory, "\*.DAT" the current drive's root, "*.DAT" the current one.
void splitPattern(const std::string& host, std::string& directory, std::string& last) {
  std::size_t slash = host.find_last_of("\\/");
  if (slash == std::string::npos) {
    const bool drive = host.size() >= 2 && host[1] == ':';
    directory = drive ? host.substr(0, 2) : std::string(".");
    last = drive ? host.substr(2) : host;
    return;
  }
  directory = host.substr(0, slash + 1);  // its own separator kept: "C:\" stays a root
  last = host.substr(slash + 1);
}

}  // namespace

Expected<std::vector<DirectoryEntry>> searchDirectory(std::string_view pattern) {
  std::vector<DirectoryEntry> entries;
  const Expected<std::string> mapped = hostNameFromRecord(pattern);
  if (!mapped) return Status::fromNative(ERROR_INVALID_NAME);
  const std::string& host = *mapped;
  std::string directory;
  std::string last;
  splitPattern(host, directory, last);
  // The pattern's last part is matched in the record's form, where "?" is one character.
  std::string namePattern = recordNameFromHost(last).valueOr("");
  if (namePattern.empty()) return Status::fromNative(ERROR_INVALID_NAME);
  namePattern = upperWindows1252(namePattern);
  const bool bare = directory.back() == ':' || isSeparator(directory.back());
  const Expected<std::wstring> listed = win32::nativeName(directory + (bare ? "*" : "\\*"));
  if (!listed) return listed.status();
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(listed->c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    // An empty root holds no entry at all, not even "." and "..".
    if (GetLastError() == ERROR_FILE_NOT_FOUND) return entries;
    return win32::lastError();
  }
  do {
    DirectoryEntry entry;
    nameEntryFromHost(entry, win32::utf8FromWide(found.cFileName));
    if (!matchesWildcard(namePattern, upperWindows1252(entry.name))) continue;
    fillFrom(found.dwFileAttributes, found.nFileSizeHigh, found.nFileSizeLow,
             found.ftLastWriteTime, entry);
    entries.push_back(std::move(entry));
  } while (FindNextFileW(search, &found));
  FindClose(search);
  std::sort(entries.begin(), entries.end(),
            [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
  return entries;
}

Expected<DirectoryEntry> lookUpEntry(std::string_view name) {
  const Expected<std::string> mapped = hostNameFromRecord(name);
  if (!mapped) return Status::fromNative(ERROR_INVALID_NAME);
  const std::string& host = *mapped;
  const Expected<std::wstring> wide = win32::nativeName(host);
  if (!wide) return wide.status();
  DirectoryEntry entry;
  // Through a handle, links are followed; a file no one may open (in use with no sharing)
  // still has its directory entry.
  HANDLE file = CreateFileW(wide->c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  BY_HANDLE_FILE_INFORMATION info;
  if (file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, &info)) {
    fillFrom(info.dwFileAttributes, info.nFileSizeHigh, info.nFileSizeLow, info.ftLastWriteTime,
             entry);
  } else {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(wide->c_str(), GetFileExInfoStandard, &data)) {
      const Status failure = win32::lastError();
      if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
      return failure;
    }
    fillFrom(data.dwFileAttributes, data.nFileSizeHigh, data.nFileSizeLow, data.ftLastWriteTime,
             entry);
  }
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  std::string trimmed = host;
  while (trimmed.size() > 1 && isSeparator(trimmed.back()) && trimmed[trimmed.size() - 2] != ':') {
    trimmed.pop_back();
  }
  std::size_t slash = trimmed.find_last_of("\\/");
  std::string last = slash == std::string::npos || slash + 1 == trimmed.size()
                         ? trimmed
                         : trimmed.substr(slash + 1);
  if (slash == std::string::npos && last.size() > 2 && last[1] == ':') last = last.substr(2);
  nameEntryFromHost(entry, last);
  return entry;
}

}  // namespace dunax::platform
