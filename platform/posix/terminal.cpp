// The controlling terminal on POSIX: isatty, TIOCGWINSZ, and write and poll/read for the bytes
// to and from it. Its modes are in posix/terminal_modes.cpp, its signal handlers in
// posix/terminal_signals.cpp.
#include "platform/terminal.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

namespace dunax::platform {

bool standardStreamsAreTerminals() {
  return isatty(STDIN_FILENO) == 1 && isatty(STDOUT_FILENO) == 1 &&
         tcgetpgrp(STDIN_FILENO) == getpgrp();
}

TerminalSize terminalSize() {
  struct winsize size;
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_row > 0 && size.ws_col > 0) {
    return {size.ws_row, size.ws_col};
  }
  return {24, 80};
}

Status writeToTerminal(const char* bytes, std::size_t length) {
  std::size_t written = 0;
  while (written < length) {
    ssize_t n = ::write(STDOUT_FILENO, bytes + written, length - written);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Status::fromNative(errno);
    if (n == 0) return Status::failure(StatusCode::Other, "the terminal takes no more output");
    written += static_cast<std::size_t>(n);
  }
  return Status();
}

Expected<int> readKeyBytes(char* buffer, int capacity, int timeoutMilliseconds) {
  if (capacity <= 0) return 0;
  const Status ended = Status::failure(StatusCode::NotFound, "the terminal's input has ended");
  struct pollfd input = {STDIN_FILENO, POLLIN, 0};
  int ready = poll(&input, 1, timeoutMilliseconds);
  if (ready < 0) {
    if (errno == EINTR) return 0;
    return Status::fromNative(errno);
  }
  if (ready == 0) return 0;
  if ((input.revents & POLLIN) == 0) return ended;  // hang-up or error with nothing to read
  ssize_t n = ::read(STDIN_FILENO, buffer, static_cast<std::size_t>(capacity));
  if (n < 0) {
    if (errno == EINTR || errno == EAGAIN) return 0;
    return Status::fromNative(errno);
  }
  if (n == 0) return ended;
  return static_cast<int>(n);
}

}  // namespace dunax::platform
