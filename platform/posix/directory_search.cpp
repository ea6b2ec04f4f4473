// The directory search on POSIX: opendir/readdir over the pattern's directory (entries whose
// names hold a "\" left out), stat for sizes, kinds and last-write times.
#include "platform/directory_search.h"

#include <dirent.h>
#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/host_path.h"

namespace dunax::platform {
namespace {

LocalTime localTimeOf(time_t seconds) {
  struct tm local;
  LocalTime time;
  if (localtime_r(&seconds, &local) == nullptr) return time;
  time.year = local.tm_year + 1900;
  time.month = local.tm_mon + 1;
  time.day = local.tm_mday;
  time.hour = local.tm_hour;
  time.minute = local.tm_min;
  time.second = local.tm_sec;
  return time;
}

void fillFromStat(const struct stat& info, DirectoryEntry& entry) {
  entry.isDirectory = S_ISDIR(info.st_mode);
  entry.size = entry.isDirectory ? 0 : static_cast<std::uint64_t>(info.st_size);
  entry.modified = localTimeOf(info.st_mtime);
}

}  // namespace

Expected<std::vector<DirectoryEntry>> searchDirectory(std::string_view pattern) {
  std::vector<DirectoryEntry> entries;
  const Expected<std::string> mapped = hostNameFromRecord(pattern);
  if (!mapped) return Status::fromNative(EINVAL);
  const std::string& host = *mapped;
  std::string directory;
  std::string namePattern;
  std::size_t slash = host.rfind('/');
  // The pattern's last part is matched in the record's form, where "?" is one character.
  if (slash == std::string::npos) {
    directory = ".";
    namePattern = recordNameFromHost(host).valueOr("");
  } else {
    directory = slash == 0 ? "/" : host.substr(0, slash);
    namePattern = recordNameFromHost(std::string_view(host).substr(slash + 1)).valueOr("");
  }
  if (namePattern.empty()) return Status::fromNative(EINVAL);
  DIR* stream = opendir(directory.c_str());
  if (stream == nullptr) return Status::fromNative(errno);
  const std::string prefix = directory == "/" ? "/" : directory + "/";
  while (struct dirent* item = readdir(stream)) {
    // No Windows name holds a "\"; in a record such an entry would read as a path.
    if (std::strchr(item->d_name, '\\') != nullptr) continue;
    DirectoryEntry entry;
    nameEntryFromHost(entry, item->d_name);
    if (!matchesWildcard(namePattern, entry.name)) continue;
    struct stat info;
    if (stat((prefix + item->d_name).c_str(), &info) != 0) continue;  // a dangling link
    fillFromStat(info, entry);
    entries.push_back(std::move(entry));
  }
  closedir(stream);
  std::sort(entries.begin(), entries.end(),
            [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
  return entries;
}

Expected<DirectoryEntry> lookUpEntry(std::string_view name) {
  const Expected<std::string> mapped = hostNameFromRecord(name);
  if (!mapped) return Status::fromNative(EINVAL);
  const std::string& host = *mapped;
  struct stat info;
  if (stat(host.c_str(), &info) != 0) return Status::fromNative(errno);
  DirectoryEntry entry;
  std::string trimmed = host;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  std::size_t slash = trimmed.rfind('/');
  nameEntryFromHost(
      entry, slash == std::string::npos || trimmed == "/" ? trimmed : trimmed.substr(slash + 1));
  fillFromStat(info, entry);
  return entry;
}

}  // namespace dunax::platform
