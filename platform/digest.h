// What the bytes of files add up to: a SHA-256 digest of several files read one after the other
// as one stream, and a file's size. Built into its own library (dunax_digest), which only the
// manager links: the programs stay on the standard library.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace dunax::platform {

struct FilesDigest {
  std::string sha256;      // 64 lower-case hex digits
  std::uint64_t bytes = 0;  // the bytes read, all files together
};

// Reads the files named (names as file_routines.h takes them) in the order given, in large
// blocks, and returns the SHA-256 of their bytes joined and how many there were. Fails when a
// file cannot be opened or read, or the host's digest cannot be had.
Expected<FilesDigest> digestFiles(const std::vector<std::string>& names);

// Returns the size in bytes of the file named; fails when it cannot be had.
Expected<std::uint64_t> fileSize(std::string_view name);

}  // namespace dunax::platform
