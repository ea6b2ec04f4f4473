// Request names on Windows: drive letters and network paths are the host's own, so a name is
// taken as it is, "/" read as "\", unless it reaches a device instead of a file; names are
// spelt in UTF-8, from which the platform makes the wide names of the system calls.
#include "platform/host_path.h"

#include <windows.h>

#include "platform/file_routines.h"
#include "platform/win32/native_name.h"

namespace dunax::platform {

std::string directoryOfPath(std::string_view path) {
  const bool drive = path.size() >= 2 && path[1] == ':';
  const std::size_t separator = path.find_last_of("\\/");
  if (separator == std::string_view::npos) return drive ? std::string(path.substr(0, 2)) : ".";
  // The root stays: "\" of the current drive, or "C:\".
  const bool root = separator == 0 || (drive && separator == 2);
  return std::string(path.substr(0, root ? separator + 1 : separator));
}

Expected<std::string> hostPathFrom(std::string_view name) {
  if (name.empty() || name.find('\0') != std::string_view::npos || win32::isRefusedName(name)) {
    return Status::fromNative(ERROR_INVALID_NAME);
  }
  std::string host(name);
  for (char& c : host) {
    if (c == '/') c = '\\';
  }
  return host;
}

Expected<std::string> mapRequestName(std::string_view name, std::string_view /*drives*/,
                                     std::string_view /*networkRoot*/) {
  Expected<std::string> plain = hostPathFrom(name);
  if (plain) return plain;
  return Status::failure(StatusCode::InvalidName,
                         name.empty() || name.find('\0') != std::string_view::npos
                             ? "the name is empty or holds a NUL"
                             : "it reaches a device, not a file");
}

Expected<std::string> mapRequestNameHere(std::string_view name, std::string_view drives,
                                         std::string_view networkRoot) {
  return mapRequestName(name, drives, networkRoot);
}

NameEncoding hostNameEncoding() { return NameEncoding::Utf8; }

}  // namespace dunax::platform
