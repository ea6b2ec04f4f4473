// Request names on POSIX: drive letters and network paths land under the directories the
// operator maps, any other name is taken with "\" read as "/" (hostPathFrom); names are spelt
// in the locale's code set.
#include "platform/host_path.h"

#include <utility>
#include <vector>

#include "platform/file_routines.h"
#include "platform/process.h"

namespace dunax::platform {
namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

bool isAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

char upperLetter(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// A mapped directory: absolute, without its trailing "/" ("/" itself becomes empty, so that
// appending "/part" gives a path from the host's root). False when it is not absolute.
bool mappedBase(std::string_view directory, std::string& base) {
  if (directory.empty() || directory[0] != '/') return false;
  while (!directory.empty() && directory.back() == '/') directory.remove_suffix(1);
  base.assign(directory);
  return true;
}

// The directory that drives maps letter to; false when it maps it to nothing usable.
bool driveDirectory(char letter, std::string_view drives, std::string& base) {
  while (!drives.empty()) {
    std::size_t end = drives.find(';');
    std::string_view entry = drives.substr(0, end);
    drives = end == std::string_view::npos ? std::string_view() : drives.substr(end + 1);
    if (entry.size() >= 2 && isAsciiLetter(entry[0]) && entry[1] == '=' &&
        upperLetter(entry[0]) == upperLetter(letter)) {
      return mappedBase(entry.substr(2), base);
    }
  }
  return false;
}

// Splits name at its separators into the parts between them, empty parts left out.
std::vector<std::string_view> partsOf(std::string_view name) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (start < name.size()) {
    std::size_t end = start;
    while (end < name.size() && !isSeparator(name[end])) ++end;
    if (end > start) parts.push_back(name.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// Appends the parts of rest to base, "." dropped and ".." taking back the part before it.
// False when a ".." would take back more than rest added.
bool appendContained(std::string_view rest, std::string& base) {
  std::vector<std::string_view> kept;
  for (std::string_view part : partsOf(rest)) {
    if (part == ".") continue;
    if (part == "..") {
      if (kept.empty()) return false;
      kept.pop_back();
      continue;
    }
    kept.push_back(part);
  }
  for (std::string_view part : kept) {
    base += '/';
    base += part;
  }
  return true;
}

bool isPlainPart(std::string_view part) { return part != "." && part != ".."; }

// "\\server\share\rest" (either separator) under the network root.
bool mapNetworkName(std::string_view name, std::string_view networkRoot, std::string& host) {
  std::string mapped;
  if (!mappedBase(networkRoot, mapped)) return false;
  std::string_view rest = name.substr(2);
  std::size_t serverEnd = 0;
  while (serverEnd < rest.size() && !isSeparator(rest[serverEnd])) ++serverEnd;
  std::string_view server = rest.substr(0, serverEnd);
  rest = rest.substr(serverEnd);
  while (!rest.empty() && isSeparator(rest.front())) rest.remove_prefix(1);
  std::size_t shareEnd = 0;
  while (shareEnd < rest.size() && !isSeparator(rest[shareEnd])) ++shareEnd;
  std::string_view share = rest.substr(0, shareEnd);
  rest = rest.substr(shareEnd);
  if (server.empty() || !isPlainPart(server) || !isPlainPart(share)) return false;
  mapped += '/';
  mapped += server;
  if (!share.empty()) {
    mapped += '/';
    mapped += share;
  }
  if (!appendContained(rest, mapped)) return false;
  host = std::move(mapped);
  return true;
}

// "C:\rest" or "C:rest" under the drive's directory.
bool mapDriveName(std::string_view name, std::string_view drives, std::string& host) {
  std::string mapped;
  if (!driveDirectory(name[0], drives, mapped)) return false;
  if (!appendContained(name.substr(2), mapped)) return false;
  host = mapped.empty() ? std::string("/") : std::move(mapped);
  return true;
}

}  // namespace

Expected<std::string> hostPathFrom(std::string_view name) {
  if (name.empty() || name.find('\0') != std::string_view::npos) {
    return Status::failure(StatusCode::InvalidName);
  }
  std::string host(name);
  for (char& c : host) {
    if (c == '\\') c = '/';
  }
  return host;
}

bool mapRequestName(std::string_view name, std::string_view drives, std::string_view networkRoot,
                    std::string& host) {
  if (name.empty() || name.find('\0') != std::string_view::npos) return false;
  if (name.size() >= 2 && isSeparator(name[0]) && isSeparator(name[1])) {
    return mapNetworkName(name, networkRoot, host);
  }
  if (name.size() >= 2 && isAsciiLetter(name[0]) && name[1] == ':') {
    return mapDriveName(name, drives, host);
  }
  Expected<std::string> plain = hostPathFrom(name);
  if (!plain) return false;
  host = std::move(*plain);
  return true;
}

NameEncoding hostNameEncoding() {
  for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = environmentValue(variable);
    if (value != nullptr && value[0] != '\0') return nameEncodingOfLocale(value);
  }
  return NameEncoding::Utf8;
}

}  // namespace dunax::platform
