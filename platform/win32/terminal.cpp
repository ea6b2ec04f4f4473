// The controlling terminal on Windows: the console's modes (GetConsoleMode, SetConsoleMode with
// VT processing on output), its window size, the wait for keys (win32/console_keys.h), output
// (win32/console_output.h), and the console's control events (win32/console_control.h) turned
// into close-request flags.
#include "platform/terminal.h"

#include <windows.h>

#include <atomic>

#include "platform/clock.h"
#include "platform/terminal_requests.h"
#include "platform/win32/console_control.h"
#include "platform/win32/console_keys.h"
#include "platform/win32/console_output.h"

namespace dunax::platform {
namespace {

using win32::ConsoleRequest;
using win32::ConsoleRequestHandler;
using win32::writeOut;

// The console's modes: of its input and, where standard output is a console too, of its output.
struct ConsoleModes {
  DWORD input = 0;
  DWORD output = 0;
  bool haveOutput = false;
};

constexpr int kModeStackDepth = 4;

struct ModeStack {
  ConsoleModes modes[kModeStackDepth];
  int depth = 0;
};

ModeStack& modeStack() {
  static ModeStack stack;
  return stack;
}

// State read by the request handlers, which run on a thread of the console: written before
// they are installed, then left alone (flags excepted).
std::atomic<int> gSizeChanged{0};
ConsoleModes gModesAtStart;
bool gHaveModesAtStart = false;
TerminalSize gKnownSize = {0, 0};

constexpr ConsoleRequest kHandledRequests[] = {ConsoleRequest::Interrupt,
                                               ConsoleRequest::Terminate, ConsoleRequest::Closed};
constexpr int kHandledCount = sizeof kHandledRequests / sizeof kHandledRequests[0];
ConsoleRequestHandler gPrevious[kHandledCount];
bool gInstalled = false;

HANDLE inputHandle() { return GetStdHandle(STD_INPUT_HANDLE); }
HANDLE outputHandle() { return GetStdHandle(STD_OUTPUT_HANDLE); }

bool readModes(ConsoleModes& modes) {
  if (!GetConsoleMode(inputHandle(), &modes.input)) return false;
  modes.haveOutput = GetConsoleMode(outputHandle(), &modes.output) != 0;
  return true;
}

void setModes(const ConsoleModes& modes) {
  SetConsoleMode(inputHandle(), modes.input);
  if (modes.haveOutput) SetConsoleMode(outputHandle(), modes.output);
}

// Puts the terminal back and ends the process as the console's default would.
[[noreturn]] void endByRequest() {
  std::size_t length = 0;
  const char* text = detail::restoreText(length);
  if (length > 0) (void)writeOut(text, length);  // ending anyway
  if (gHaveModesAtStart) setModes(gModesAtStart);
  win32::endAsConsoleDefault();
}

void onRequest(ConsoleRequest request) {
  switch (request) {
    case ConsoleRequest::Interrupt:
      detail::noteCloseRequest(CloseRequest::Interrupt, false);
      break;
    case ConsoleRequest::Closed:
    case ConsoleRequest::Terminate:
      if (detail::noteCloseRequest(CloseRequest::Terminate, request == ConsoleRequest::Closed)) {
        endByRequest();
      }
      break;
  }
}

// True when the console's output can take VT sequences (switched on for a moment to see).
bool outputTakesSequences(HANDLE output, DWORD mode) {
  if ((mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0) return true;
  if (!SetConsoleMode(output, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING)) return false;
  SetConsoleMode(output, mode);
  return true;
}

}  // namespace

bool standardStreamsAreTerminals() {
  DWORD inputMode = 0;
  DWORD outputMode = 0;
  return GetConsoleMode(inputHandle(), &inputMode) &&
         GetConsoleMode(outputHandle(), &outputMode) &&
         outputTakesSequences(outputHandle(), outputMode);
}

TerminalSize terminalSize() {
  CONSOLE_SCREEN_BUFFER_INFO screen;
  if (GetConsoleScreenBufferInfo(outputHandle(), &screen)) {
    const int rows = screen.srWindow.Bottom - screen.srWindow.Top + 1;
    const int columns = screen.srWindow.Right - screen.srWindow.Left + 1;
    if (rows > 0 && columns > 0) return {rows, columns};
  }
  return {24, 80};
}

Status enterKeyInputMode(bool keysAsSignals) {
  ModeStack& stack = modeStack();
  ConsoleModes current;
  if (!readModes(current)) {
    return Status::failure(StatusCode::Unsupported, "standard input is not a terminal");
  }
  if (stack.depth >= kModeStackDepth) {
    return Status::failure(StatusCode::Busy, "the terminal's mode stack is full");
  }
  // No line editing, no echo, keys as key events (not VT input), size changes reported.
  DWORD quiet = current.input & ~static_cast<DWORD>(ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT |
                                                    ENABLE_VIRTUAL_TERMINAL_INPUT);
  quiet |= ENABLE_WINDOW_INPUT;
  if (keysAsSignals) {
    quiet |= ENABLE_PROCESSED_INPUT;
  } else {
    quiet &= ~static_cast<DWORD>(ENABLE_PROCESSED_INPUT);
  }
  if (!SetConsoleMode(inputHandle(), quiet)) {
    return Status::fromNative(static_cast<int>(GetLastError()));
  }
  if (current.haveOutput) {
    SetConsoleMode(outputHandle(),
                   current.output | ENABLE_PROCESSED_OUTPUT | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
  }
  if (stack.depth == 0 && !gInstalled) {
    gModesAtStart = current;
    gHaveModesAtStart = true;
  }
  stack.modes[stack.depth++] = current;
  return Status();
}

void leaveKeyInputMode() {
  ModeStack& stack = modeStack();
  if (stack.depth == 0) return;
  --stack.depth;
  setModes(stack.modes[stack.depth]);
}

Status writeToTerminal(const char* bytes, std::size_t length) { return writeOut(bytes, length); }

Expected<int> readKeyBytes(char* buffer, int capacity, int timeoutMilliseconds) {
  if (capacity <= 0) return 0;
  HANDLE input = inputHandle();
  DWORD mode = 0;
  if (!GetConsoleMode(input, &mode)) {
    return win32::readRedirectedBytes(input, buffer, capacity, timeoutMilliseconds);
  }
  const std::int64_t deadline =
      monotonicNanoseconds() + static_cast<std::int64_t>(timeoutMilliseconds) * 1000000;
  for (;;) {
    Expected<int> taken = win32::takeConsoleKeys(input, buffer, capacity, gSizeChanged);
    if (!taken || *taken > 0) return taken;
    DWORD wait = INFINITE;
    if (timeoutMilliseconds >= 0) {
      const std::int64_t left = deadline - monotonicNanoseconds();
      if (left <= 0) return 0;
      wait = static_cast<DWORD>((left + 999999) / 1000000);
    }
    // Events that give no key (key releases, focus, the mouse) wake the wait too; they are
    // taken above and the wait goes on. A close request ends it.
    HANDLE waited[2] = {input, win32::consoleRequestArrived()};
    const DWORD handles = waited[1] != nullptr ? 2 : 1;
    const DWORD result = WaitForMultipleObjects(handles, waited, FALSE, wait);
    if (result == WAIT_TIMEOUT || result == WAIT_OBJECT_0 + 1) return 0;
    if (result == WAIT_FAILED) return Status::fromNative(static_cast<int>(GetLastError()));
  }
}

void installCloseRequestHandlers(const char* restoreText, std::size_t length) {
  if (gInstalled) return;
  detail::startNotingCloseRequests(restoreText, length);
  if (modeStack().depth > 0) {
    gModesAtStart = modeStack().modes[0];
    gHaveModesAtStart = true;
  } else {
    gHaveModesAtStart = readModes(gModesAtStart);
  }
  gKnownSize = terminalSize();
  gSizeChanged.store(0);
  (void)win32::hookConsoleRequests();  // unhooked, the console ends the process its own way
  for (int i = 0; i < kHandledCount; ++i) {
    gPrevious[i] = win32::setConsoleRequestHandler(kHandledRequests[i], onRequest);
  }
  gInstalled = true;
}

void removeCloseRequestHandlers() {
  if (!gInstalled) return;
  for (int i = 0; i < kHandledCount; ++i) {
    win32::setConsoleRequestHandler(kHandledRequests[i], gPrevious[i]);
  }
  gInstalled = false;
  detail::dropPendingCloseRequests();
}

bool takeSizeChange() {
  // The console reports size changes only to a reader of its input: the window's size is
  // looked at as well.
  const TerminalSize now = terminalSize();
  bool changed = gSizeChanged.exchange(0) != 0;
  if (gKnownSize.rows != 0 && (now.rows != gKnownSize.rows || now.columns != gKnownSize.columns)) {
    changed = true;
  }
  gKnownSize = now;
  return changed;
}

}  // namespace dunax::platform
