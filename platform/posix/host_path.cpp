// Request names on POSIX: drive letters and network paths land under the directories the
// operator maps and stay beneath them on disk (openat2 with RESOLVE_BENEATH, or a look at every
// symbolic link on the way), a name rooted at "\" lands on the mapped drive that holds the
// current directory, any other name is taken with "\" read as "/" (hostPathFrom); names are
// spelt in the locale's code set.
#include "platform/host_path.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <utility>
#include <vector>

#include "platform/file_routines.h"
#include "platform/posix/links_beneath.h"
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

// "\\server\share\rest" (either separator) under the network root; base receives the
// share's directory (the server's when there is no share), why the reason of a refusal.
bool mapNetworkName(std::string_view name, std::string_view networkRoot, std::string& host,
                    std::string& base, std::string& why) {
  std::string mapped;
  if (!mappedBase(networkRoot, mapped)) {
    why = networkRoot.empty() ? "no DUNAX_NETWORK_ROOT maps network names on this host"
                              : "DUNAX_NETWORK_ROOT is not an absolute folder";
    return false;
  }
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
  if (server.empty() || !isPlainPart(server) || !isPlainPart(share)) {
    why = "a network name needs a server and a share that are not \".\" or \"..\"";
    return false;
  }
  mapped += '/';
  mapped += server;
  if (!share.empty()) {
    mapped += '/';
    mapped += share;
  }
  base = mapped;
  if (!appendContained(rest, mapped)) {
    why = "its \"..\" parts climb out of the share";
    return false;
  }
  host = std::move(mapped);
  return true;
}

// "C:\rest" or "C:rest" under the drive's directory; base receives that directory, why the
// reason of a refusal.
bool mapDriveName(std::string_view name, std::string_view drives, std::string& host,
                  std::string& base, std::string& why) {
  std::string mapped;
  const std::string drive{upperLetter(name[0]), ':'};
  if (!driveDirectory(name[0], drives, mapped)) {
    why = "drive " + drive + " has no mapping to an absolute folder in DUNAX_DRIVES";
    return false;
  }
  base = mapped.empty() ? std::string("/") : mapped;
  if (!appendContained(name.substr(2), mapped)) {
    why = "its \"..\" parts climb out of drive " + drive;
    return false;
  }
  host = mapped.empty() ? std::string("/") : std::move(mapped);
  return true;
}

// The mapping of mapRequestName; base receives the directory a drive or network name must stay
// beneath (empty for any other name), why the reason of a refusal.
bool mapWithBase(std::string_view name, std::string_view drives, std::string_view networkRoot,
                 std::string& host, std::string& base, std::string& why) {
  base.clear();
  if (name.empty() || name.find('\0') != std::string_view::npos) {
    why = "the name is empty or holds a NUL";
    return false;
  }
  if (name.size() >= 2 && isSeparator(name[0]) && isSeparator(name[1])) {
    return mapNetworkName(name, networkRoot, host, base, why);
  }
  if (name.size() >= 2 && isAsciiLetter(name[0]) && name[1] == ':') {
    return mapDriveName(name, drives, host, base, why);
  }
  host = hostPathFrom(name).valueOr({});  // a name with neither: "\" read as "/"
  return true;
}

// The real path of an existing name; empty when it cannot be resolved.
std::string realPathOf(const std::string& path) {
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return {};
  std::string real(resolved);
  std::free(resolved);
  return real;
}

// True when real (a resolved absolute path) is realBase or lies beneath it.
bool isBeneath(const std::string& real, const std::string& realBase) {
  if (realBase == "/") return !real.empty() && real[0] == '/';
  return real == realBase ||
         (real.size() > realBase.size() && real.compare(0, realBase.size(), realBase) == 0 &&
          real[realBase.size()] == '/');
}

// Where the kernel resolves beneath a directory: 1 when rest (relative, no "." or "..") opens
// beneath the directory baseFd, 0 when it leads outside (a symbolic link out, absolute or up),
// -1 when the kernel cannot tell (no openat2). A missing name is judged by its longest leading
// part that exists: what is still to be made is made there.
int opensBeneath(int baseFd, std::string rest) {
#ifdef SYS_openat2
  for (;;) {
    if (rest.empty()) return 1;
    struct open_how how {};
    how.flags = O_PATH | O_CLOEXEC;
    how.resolve = RESOLVE_BENEATH;
    const long fd = syscall(SYS_openat2, baseFd, rest.c_str(), &how, sizeof how);
    if (fd >= 0) {
      close(static_cast<int>(fd));
      return 1;
    }
    if (errno == EXDEV || errno == ELOOP) return 0;
    if (errno != ENOENT && errno != ENOTDIR) return errno == EACCES ? 1 : -1;
    const std::size_t slash = rest.rfind('/');
    rest = slash == std::string::npos ? std::string() : rest.substr(0, slash);
  }
#else
  (void)baseFd;
  (void)rest;
  return -1;
#endif
}

// True when host, a path that mapWithBase placed beneath base, stays beneath it on disk.
bool staysBeneath(const std::string& base, const std::string& host) {
  std::string rest = host.substr(base == "/" ? 1 : base.size());
  while (!rest.empty() && rest.front() == '/') rest.erase(0, 1);
  if (rest.empty()) return true;
  const int baseFd = open(base.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (baseFd < 0) return true;  // no such directory: nothing beneath it to lead out
  const int beneath = opensBeneath(baseFd, rest);
  close(baseFd);
  if (beneath >= 0) return beneath == 1;
  return posix::linksStayBeneath(base, rest);
}

// The letter of the mapped drive whose directory holds the current directory (the deepest
// when mappings nest); 0 when none does.
char driveOfCurrentDirectory(std::string_view drives) {
  char buffer[PATH_MAX];
  if (getcwd(buffer, sizeof buffer) == nullptr) return 0;
  const std::string current = realPathOf(buffer);
  char best = 0;
  std::size_t bestLength = 0;
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    std::string directory;
    if (!driveDirectory(letter, drives, directory)) continue;
    const std::string real = realPathOf(directory.empty() ? "/" : directory);
    if (!real.empty() && isBeneath(current, real) && (best == 0 || real.size() > bestLength)) {
      best = letter;
      bestLength = real.size();
    }
  }
  return best;
}

}  // namespace

namespace posix {

bool linksStayBeneath(const std::string& base, const std::string& rest) {
  const std::string realBase = realPathOf(base);
  if (realBase.empty()) return false;
  std::string prefix = base == "/" ? std::string() : base;
  for (std::string_view part : partsOf(rest)) {
    prefix += '/';
    prefix += part;
    struct stat info;
    if (lstat(prefix.c_str(), &info) != 0) return true;  // the rest does not exist yet
    if (!S_ISLNK(info.st_mode)) continue;
    const std::string real = realPathOf(prefix);
    if (real.empty() || !isBeneath(real, realBase)) return false;
  }
  return true;
}

}  // namespace posix

std::string directoryOfPath(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return ".";
  return std::string(path.substr(0, slash == 0 ? 1 : slash));
}

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

Expected<std::string> mapRequestName(std::string_view name, std::string_view drives,
                                     std::string_view networkRoot) {
  std::string host;
  std::string base;
  std::string why;
  if (!mapWithBase(name, drives, networkRoot, host, base, why)) {
    return Status::failure(StatusCode::InvalidName, why);
  }
  return host;
}

Expected<std::string> mapRequestNameHere(std::string_view name, std::string_view drives,
                                         std::string_view networkRoot) {
  std::string onDrive;
  const bool rooted = !name.empty() && isSeparator(name[0]) &&
                      !(name.size() >= 2 && isSeparator(name[1]));
  if (rooted && !drives.empty()) {
    const char letter = driveOfCurrentDirectory(drives);
    if (letter == 0) {
      return Status::failure(StatusCode::InvalidName,
                             "it begins at the root of the current drive, and no drive of "
                             "DUNAX_DRIVES holds the current folder");
    }
    onDrive = std::string{letter, ':'} + std::string(name);
    name = onDrive;
  }
  std::string base;
  std::string mapped;
  std::string why;
  if (!mapWithBase(name, drives, networkRoot, mapped, base, why)) {
    return Status::failure(StatusCode::InvalidName, why);
  }
  if (!base.empty() && !staysBeneath(base, mapped)) {
    return Status::failure(StatusCode::InvalidName,
                           "a symbolic link in it leads outside " +
                               (name[1] == ':' ? "drive " + std::string{upperLetter(name[0]), ':'}
                                               : std::string("its share")));
  }
  return mapped;
}

NameEncoding hostNameEncoding() {
  for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = environmentValue(variable);
    if (value != nullptr && value[0] != '\0') return nameEncodingOfLocale(value);
  }
  return NameEncoding::Utf8;
}

}  // namespace dunax::platform
