// The controlling terminal on POSIX: isatty, TIOCGWINSZ, termios modes, poll/read for keys, and
// the close-request signal handlers (through posix/signal_dispatch.h), which only set flags
// (and put the terminal back before a repeated termination request ends the process).
#include "platform/terminal.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "platform/posix/signal_dispatch.h"
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
volatile std::sig_atomic_t gSizeChanged = 0;
struct termios gModeAtStart;
bool gHaveModeAtStart = false;
struct termios gKeyMode;  // the mode the last enterKeyInputMode set, put back after a stop
volatile std::sig_atomic_t gKeyModeActive = 0;

constexpr int kHandledSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGWINCH, SIGTSTP};
constexpr int kHandledCount = sizeof kHandledSignals / sizeof kHandledSignals[0];
posix::SignalHandler gPrevious[kHandledCount];
bool gInstalled = false;

// Puts the terminal back: the restore text written, the mode before the first key-input mode.
void putTerminalBack() {
  std::size_t length = 0;
  const char* text = detail::restoreText(length);
  if (length > 0) {
    ssize_t ignored = ::write(STDOUT_FILENO, text, length);
    (void)ignored;
  }
  if (gHaveModeAtStart) tcsetattr(STDIN_FILENO, TCSANOW, &gModeAtStart);
}

// Ctrl+Z: the terminal is put back before the process stops, and taken again when it goes on
// in the foreground (the screen is then drawn whole again).
void stopAndGoOn() {
  putTerminalBack();
  struct sigaction ours;
  sigaction(SIGTSTP, nullptr, &ours);
  posix::takeDefaultSignalAction(SIGTSTP);  // stops here until SIGCONT
  sigset_t unblock;
  sigemptyset(&unblock);
  sigaddset(&unblock, SIGTSTP);
  sigprocmask(SIG_BLOCK, &unblock, nullptr);
  sigaction(SIGTSTP, &ours, nullptr);
  if (gKeyModeActive && tcgetpgrp(STDIN_FILENO) == getpgrp()) {
    tcsetattr(STDIN_FILENO, TCSANOW, &gKeyMode);
  }
  gSizeChanged = 1;
}

void onSignal(int signal) {
  switch (signal) {
    case SIGINT:
      detail::noteCloseRequest(CloseRequest::Interrupt, false);
      break;
    case SIGHUP:
    case SIGTERM:
      if (detail::noteCloseRequest(CloseRequest::Terminate, signal == SIGHUP)) {
        putTerminalBack();  // and the signal does what it does by default: ends the process
        posix::takeDefaultSignalAction(signal);
      }
      break;
    case SIGWINCH:
      gSizeChanged = 1;
      break;
    case SIGTSTP:
      stopAndGoOn();
      break;
    default:
      break;
  }
}

}  // namespace

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
  if (stack.depth == 0 && !gInstalled) {
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

void installCloseRequestHandlers(const char* restoreText, std::size_t length) {
  if (gInstalled) return;
  detail::startNotingCloseRequests(restoreText, length);
  if (modeStack().depth > 0) {
    gModeAtStart = modeStack().modes[0];
    gHaveModeAtStart = true;
  } else {
    gHaveModeAtStart = isatty(STDIN_FILENO) == 1 && tcgetattr(STDIN_FILENO, &gModeAtStart) == 0;
  }
  gSizeChanged = 0;
  for (int i = 0; i < kHandledCount; ++i) {
    gPrevious[i] = posix::setSignalHandler(kHandledSignals[i], {onSignal, true})
                       .valueOr(posix::SignalHandler{});
  }
  gInstalled = true;
}

void removeCloseRequestHandlers() {
  if (!gInstalled) return;
  for (int i = 0; i < kHandledCount; ++i) {
    (void)posix::setSignalHandler(kHandledSignals[i], gPrevious[i]);
  }
  gInstalled = false;
  detail::dropPendingCloseRequests();
}

bool takeSizeChange() {
  if (!gSizeChanged) return false;
  gSizeChanged = 0;
  return true;
}

}  // namespace dunax::platform
