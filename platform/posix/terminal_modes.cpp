// The terminal's modes on POSIX: the quiet key-input mode (termios) on a small stack, the mode
// put back when the process ends or stops, and the key-input mode taken again after a stop.
#include "platform/posix/terminal_modes.h"

#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "platform/terminal.h"
#include "platform/terminal_requests.h"

namespace dunax::platform {
namespace {

constexpr int kModeStackDepth = 4;

struct ModeStack {
  struct termios modes[kModeStackDepth];
  int depth = 0;
};

ModeStack& modeStack() {
  static ModeStack stack;
  return stack;
}

// State read by the signal handlers: written before they are installed, then left alone.
struct termios gModeAtStart;
bool gHaveModeAtStart = false;
bool gModeFixed = false;  // the mode at start kept while the handlers are installed
struct termios gKeyMode;  // the mode the last enterKeyInputMode set, put back after a stop
volatile std::sig_atomic_t gKeyModeActive = 0;

}  // namespace

namespace posix {

void fixModeToPutBack(bool fixed) {
  gModeFixed = fixed;
  if (!fixed) return;
  if (modeStack().depth > 0) {
    gModeAtStart = modeStack().modes[0];
    gHaveModeAtStart = true;
  } else {
    gHaveModeAtStart = isatty(STDIN_FILENO) == 1 && tcgetattr(STDIN_FILENO, &gModeAtStart) == 0;
  }
}

void putTerminalBack() {
  std::size_t length = 0;
  const char* text = detail::restoreText(length);
  if (length > 0) {
    ssize_t ignored = ::write(STDOUT_FILENO, text, length);
    (void)ignored;
  }
  if (gHaveModeAtStart) tcsetattr(STDIN_FILENO, TCSANOW, &gModeAtStart);
}

void takeKeyModeAgain() {
  if (gKeyModeActive && tcgetpgrp(STDIN_FILENO) == getpgrp()) {
    tcsetattr(STDIN_FILENO, TCSANOW, &gKeyMode);
  }
}

}  // namespace posix

Status enterKeyInputMode(bool keysAsSignals) {
  ModeStack& stack = modeStack();
  if (isatty(STDIN_FILENO) != 1) return Status::fromNative(ENOTTY);
  if (stack.depth >= kModeStackDepth) {
    return Status::failure(StatusCode::Busy, "the terminal's mode stack is full");
  }
  struct termios current;
  if (tcgetattr(STDIN_FILENO, &current) != 0) return Status::fromNative(errno);
  struct termios quiet = current;
  quiet.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ECHONL);
  if (keysAsSignals) {
    quiet.c_lflag |= ISIG;
  } else {
    quiet.c_lflag &= ~static_cast<tcflag_t>(ISIG);
  }
  quiet.c_iflag &= ~static_cast<tcflag_t>(IXON | ICRNL);
  quiet.c_cc[VMIN] = 0;
  quiet.c_cc[VTIME] = 0;
  if (tcsetattr(STDIN_FILENO, TCSANOW, &quiet) != 0) return Status::fromNative(errno);
  if (stack.depth == 0 && !gModeFixed) {
    gModeAtStart = current;
    gHaveModeAtStart = true;
  }
  stack.modes[stack.depth++] = current;
  gKeyMode = quiet;
  gKeyModeActive = 1;
  return Status();
}

void leaveKeyInputMode() {
  ModeStack& stack = modeStack();
  if (stack.depth == 0) return;
  --stack.depth;
  gKeyModeActive = 0;
  tcsetattr(STDIN_FILENO, TCSANOW, &stack.modes[stack.depth]);
}

}  // namespace dunax::platform
