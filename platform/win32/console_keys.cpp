// Keys on Windows: the console's key events read with ReadConsoleInputW and handed on as the
// bytes a VT terminal sends, and the bytes of an input that is no console.
#include "platform/win32/console_keys.h"

#include <cstring>
#include <string>

#include "platform/clock.h"
#include "platform/win32/wide_text.h"

namespace dunax::platform::win32 {
namespace {

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

}  // namespace

Expected<int> takeConsoleKeys(HANDLE input, char* buffer, int capacity,
                              std::atomic<int>& sizeChanged) {
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
      sizeChanged.store(1);
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

}  // namespace dunax::platform::win32
