// The controlling terminal on Windows: the console's modes (GetConsoleMode, SetConsoleMode with
// VT processing on output), its window size, UTF-8 written as UTF-16 with WriteConsoleW (bytes
// with WriteFile where redirected), key events read with ReadConsoleInputW and handed on as the
// bytes a VT terminal sends, and the console's control events (platform/win32/console_control.h)
// turned into close-request flags.
#include "platform/terminal.h"

#include <windows.h>

#include <atomic>
#include <cstring>
#include <string>

#include "platform/clock.h"
#include "platform/win32/console_control.h"
#include "platform/win32/wide_text.h"

namespace dunax::platform {
namespace {

using win32::ConsoleRequest;
using win32::ConsoleRequestHandler;

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
std::atomic<int> gInterruptPending{0};
std::atomic<int> gTerminatePending{0};
std::atomic<int> gTerminateSeen{0};  // taken or not: a second one ends the process
std::atomic<int> gHungUp{0};
std::atomic<int> gSizeChanged{0};
char gRestoreText[256];
std::size_t gRestoreLength = 0;
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

// Writes UTF-8 bytes to standard output: as UTF-16 to a console, whose output takes VT
// sequences while they are written; as they are elsewhere.
Status writeOut(const char* bytes, std::size_t length) {
  HANDLE output = outputHandle();
  DWORD mode = 0;
  if (GetConsoleMode(output, &mode)) {
    const std::wstring wide = win32::wideFromUtf8(std::string(bytes, length));
    const DWORD drawing = mode | ENABLE_PROCESSED_OUTPUT | ENABLE_VIRTUAL_TERMINAL_PROCESSING;
    const bool switched = drawing != mode && SetConsoleMode(output, drawing);
    Status status;
    std::size_t written = 0;
    while (written < wide.size()) {
      DWORD done = 0;
      if (!WriteConsoleW(output, wide.data() + written,
                         static_cast<DWORD>(wide.size() - written), &done, nullptr)) {
        status = Status::fromNative(static_cast<int>(GetLastError()));
        break;
      }
      if (done == 0) {
        status = Status::failure(StatusCode::Other, "the terminal takes no more output");
        break;
      }
      written += done;
    }
    if (switched) SetConsoleMode(output, mode);
    return status;
  }
  std::size_t written = 0;
  while (written < length) {
    DWORD done = 0;
    if (!WriteFile(output, bytes + written, static_cast<DWORD>(length - written), &done,
                   nullptr)) {
      return Status::fromNative(static_cast<int>(GetLastError()));
    }
    if (done == 0) return Status::failure(StatusCode::Other, "the terminal takes no more output");
    written += done;
  }
  return Status();
}

// Puts the terminal back and ends the process as the console's default would.
[[noreturn]] void endByRequest() {
  if (gRestoreLength > 0) (void)writeOut(gRestoreText, gRestoreLength);  // ending anyway
  if (gHaveModesAtStart) setModes(gModesAtStart);
  win32::endAsConsoleDefault();
}

void onRequest(ConsoleRequest request) {
  switch (request) {
    case ConsoleRequest::Interrupt:
      gInterruptPending.store(1);
      break;
    case ConsoleRequest::Closed:
      gHungUp.store(1);
      [[fallthrough]];
    case ConsoleRequest::Terminate:
      if (gTerminateSeen.exchange(1) != 0) endByRequest();
      gTerminatePending.store(1);
      break;
  }
}

// Key bytes: room enough for the longest sequence one key gives.
constexpr int kLongestKeyBytes = 4;

// Appends one UTF-16 unit of a key's text as UTF-8; a high surrogate waits in pending for the
// unit that completes it.
int appendKeyText(wchar_t unit, wchar_t& pending, char* out) {
  std::wstring text;
  if (unit >= 0xD800 && unit <= 0xDBFF) {
    pending = unit;
    return 0;
  }
  if (unit >= 0xDC00 && unit <= 0xDFFF && pending != 0) text += pending;
  pending = 0;
  text += unit;
  const std::string utf8 = win32::utf8FromWide(text);
  std::memcpy(out, utf8.data(), utf8.size());
  return static_cast<int>(utf8.size());
}

// The bytes a VT terminal sends for a key that gives no text (arrows, Home, End, Delete ...);
// nullptr for the others.
const char* sequenceOfKey(WORD virtualKey) {
  switch (virtualKey) {
    case VK_UP: return "\x1b[A";
    case VK_DOWN: return "\x1b[B";
    case VK_RIGHT: return "\x1b[C";
    case VK_LEFT: return "\x1b[D";
    case VK_HOME: return "\x1b[H";
    case VK_END: return "\x1b[F";
    case VK_INSERT: return "\x1b[2~";
    case VK_DELETE: return "\x1b[3~";
    case VK_PRIOR: return "\x1b[5~";
    case VK_NEXT: return "\x1b[6~";
    default: return nullptr;
  }
}

// The bytes of one key press (at most kLongestKeyBytes) into out; their count.
int bytesOfKey(const KEY_EVENT_RECORD& key, wchar_t& pending, char* out) {
  const bool shifted = (key.dwControlKeyState & SHIFT_PRESSED) != 0;
  if (key.wVirtualKeyCode == VK_TAB && shifted) {
    std::memcpy(out, "\x1b[Z", 3);
    return 3;
  }
  if (key.wVirtualKeyCode == VK_BACK) {
    out[0] = '\x7f';
    return 1;
  }
  if (const char* sequence = sequenceOfKey(key.wVirtualKeyCode)) {
    const std::size_t length = std::strlen(sequence);
    std::memcpy(out, sequence, length);
    return static_cast<int>(length);
  }
  if (key.uChar.UnicodeChar == 0) return 0;
  return appendKeyText(key.uChar.UnicodeChar, pending, out);
}

// Reads the input events waiting on the console without blocking and turns the key presses
// into bytes; size changes are noted. Returns the count of bytes, or the failure of a read.
Expected<int> takeConsoleKeys(HANDLE input, char* buffer, int capacity) {
  static wchar_t pending = 0;
  int count = 0;
  while (capacity - count >= kLongestKeyBytes) {
    DWORD waiting = 0;
    if (!GetNumberOfConsoleInputEvents(input, &waiting)) {
      return Status::fromNative(static_cast<int>(GetLastError()));
    }
    if (waiting == 0) break;
    INPUT_RECORD record;
    DWORD read = 0;
    if (!ReadConsoleInputW(input, &record, 1, &read)) {
      return Status::fromNative(static_cast<int>(GetLastError()));
    }
    if (read == 0) break;
    if (record.EventType == WINDOW_BUFFER_SIZE_EVENT) {
      gSizeChanged.store(1);
      continue;
    }
    if (record.EventType != KEY_EVENT || !record.Event.KeyEvent.bKeyDown) continue;
    const KEY_EVENT_RECORD& key = record.Event.KeyEvent;
    const int repeats = key.wRepeatCount > 0 ? key.wRepeatCount : 1;
    for (int i = 0; i < repeats && capacity - count >= kLongestKeyBytes; ++i) {
      count += bytesOfKey(key, pending, buffer + count);
    }
  }
  return count;
}

// readKeyBytes where standard input is no console: a pipe is looked at until bytes are there or
// the time is up; anything else is read directly.
Expected<int> readRedirectedBytes(HANDLE input, char* buffer, int capacity,
                                  int timeoutMilliseconds) {
  const Status ended = Status::failure(StatusCode::NotFound, "the terminal's input has ended");
  DWORD got = 0;
  if (GetFileType(input) == FILE_TYPE_PIPE) {
    const std::int64_t deadline =
        monotonicNanoseconds() + static_cast<std::int64_t>(timeoutMilliseconds) * 1000000;
    for (;;) {
      DWORD available = 0;
      if (!PeekNamedPipe(input, nullptr, 0, nullptr, &available, nullptr)) {
        const DWORD error = GetLastError();
        if (error == ERROR_BROKEN_PIPE) return ended;
        return Status::fromNative(static_cast<int>(error));
      }
      if (available > 0) {
        const DWORD wanted = available < static_cast<DWORD>(capacity)
                                 ? available
                                 : static_cast<DWORD>(capacity);
        if (!ReadFile(input, buffer, wanted, &got, nullptr)) {
          return Status::fromNative(static_cast<int>(GetLastError()));
        }
        return static_cast<int>(got);
      }
      if (timeoutMilliseconds >= 0 && monotonicNanoseconds() >= deadline) return 0;
      Sleep(10);
    }
  }
  if (!ReadFile(input, buffer, static_cast<DWORD>(capacity), &got, nullptr)) {
    const DWORD error = GetLastError();
    if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) return ended;
    return Status::fromNative(static_cast<int>(error));
  }
  if (got == 0) return ended;
  return static_cast<int>(got);
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
    return readRedirectedBytes(input, buffer, capacity, timeoutMilliseconds);
  }
  const std::int64_t deadline =
      monotonicNanoseconds() + static_cast<std::int64_t>(timeoutMilliseconds) * 1000000;
  for (;;) {
    Expected<int> taken = takeConsoleKeys(input, buffer, capacity);
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
  if (length > sizeof gRestoreText) length = sizeof gRestoreText;
  if (gInstalled) return;
  std::memcpy(gRestoreText, restoreText, length);
  gRestoreLength = length;
  if (modeStack().depth > 0) {
    gModesAtStart = modeStack().modes[0];
    gHaveModesAtStart = true;
  } else {
    gHaveModesAtStart = readModes(gModesAtStart);
  }
  gKnownSize = terminalSize();
  gInterruptPending.store(0);
  gTerminatePending.store(0);
  gTerminateSeen.store(0);
  gHungUp.store(0);
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
  gInterruptPending.store(0);
  gTerminatePending.store(0);
}

CloseRequest takeCloseRequest() {
  if (gTerminatePending.exchange(0) != 0) return CloseRequest::Terminate;
  if (gInterruptPending.exchange(0) != 0) return CloseRequest::Interrupt;
  return CloseRequest::None;
}

bool terminalHungUp() { return gHungUp.load() != 0; }

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
