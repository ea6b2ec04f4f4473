// The portable part of the private directory: a file of it replaced whole, written new under a
// temporary name of this process and put over the old one, and read whole (durable_files.h).
#include "platform/private_directory.h"

#include <cstring>
#include <string>
#include <string_view>

#include "platform/durable_files.h"
#include "platform/process.h"

namespace dunax::platform {
namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

}  // namespace

Status replaceFileAtomically(const std::string& directory, const std::string& name,
                             const void* data, std::size_t length) {
  const std::string_view content(static_cast<const char*>(data), length);
  // A temporary name of this process in the same folder, made new (never an existing file).
  std::string temporary;
  Status written;
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    temporary = directory + kSeparator + '.' + name + '.' + std::to_string(currentProcessId()) +
                '.' + std::to_string(attempt);
    written = writeNewFileDurably(temporary.c_str(), content, 0600);
    if (!written.is(StatusCode::AlreadyExists)) break;
  }
  if (!written.ok()) return written;
  const std::string target = directory + kSeparator + name;
  Status placed = replaceFileWhole(temporary.c_str(), target.c_str());
  if (!placed.ok()) (void)removeFileIfPresent(temporary.c_str());  // best effort: placed counts
  return placed;
}

Status readFileExactly(const std::string& path, void* data, std::size_t length) {
  std::string content;
  Status read = readSmallFile(path.c_str(), length, content);
  if (read.ok() && content.size() != length) {
    read = Status::failure(StatusCode::InvalidName, "shorter than expected");
  }
  if (read.ok()) std::memcpy(data, content.data(), length);
  return read;
}

}  // namespace dunax::platform
