// A text file written a line at a time on POSIX: each line one write(2).
#include "platform/line_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_routines.h"

namespace dunax::platform {

Status LineFile::open(std::string_view name) {
  close();
  Expected<std::string> path = hostPathFrom(name);
  if (!path) return path.status();
  const int file = ::open(path->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (file < 0) return Status::fromNative(errno);
  handle_ = file;
  return {};
}

Status LineFile::writeLine(std::string_view text) {
  if (!isOpen()) return Status::failure(StatusCode::Other, "the file is not open");
  std::string line(text);
  line += '\n';
  std::size_t done = 0;
  while (done < line.size()) {
    const ssize_t wrote = ::write(static_cast<int>(handle_), line.data() + done, line.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote < 0) return Status::fromNative(errno);
    done += static_cast<std::size_t>(wrote);
  }
  return {};
}

void LineFile::close() {
  if (!isOpen()) return;
  ::close(static_cast<int>(handle_));
  handle_ = kNoHandle;
}

}  // namespace dunax::platform
