// The identity of a file as the file system holds it: the device (volume) and the file's number
// on it, the same for every name of one file (hard links, symbolic links, "." and "..").
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/status.h"

namespace dunax::platform {

struct FileIdentity {
  std::uint64_t device = 0;  // the device, or the volume's serial number
  std::uint64_t number = 0;  // the inode, or the file index
  bool operator==(const FileIdentity&) const = default;
};

// Returns the identity of the file that name (a host name, either separator) reaches, symbolic
// links followed. Returns NotFound when nothing is there, or the failure of the look-up.
Expected<FileIdentity> fileIdentity(std::string_view name);

}  // namespace dunax::platform
