// Host names as the Windows "W" calls take them: the device names refused, UTF-16, "\"
// separators, and the "\\?\" form for long names.
#include "platform/win32/native_name.h"

#include <windows.h>

#include <vector>

namespace dunax::platform::win32 {
namespace {

// The longest name every call takes as it is: CreateDirectoryW leaves 12 characters of
// MAX_PATH for an 8.3 file name.
constexpr std::size_t kLongestPlainName = MAX_PATH - 12 - 1;

bool isSeparator(char c) { return c == '\\' || c == '/'; }

bool isAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

std::string upperAscii(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

// A part that opens a device in every folder: the text before its first ".", trailing spaces
// left off, is a reserved device name.
bool isReservedDevice(std::string_view part) {
  std::string_view base = part.substr(0, part.find('.'));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  const std::string upper = upperAscii(base);
  for (std::string_view device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
    if (upper == device) return true;
  }
  if (upper.size() < 4) return false;
  const std::string_view kind = std::string_view(upper).substr(0, 3);
  if (kind != "COM" && kind != "LPT") return false;
  const std::string_view number = std::string_view(upper).substr(3);
  // COM1-COM9 and LPT1-LPT9, and the superscript 1, 2 and 3 (UTF-8 C2 B9, C2 B2, C2 B3).
  if (number.size() == 1) return number[0] >= '1' && number[0] <= '9';
  return number == "\xC2\xB9" || number == "\xC2\xB2" || number == "\xC2\xB3";
}

}  // namespace

bool isRefusedName(std::string_view name) {
  // "\\.\x" and "\\?\x": the device and raw namespaces, whatever follows.
  if (name.size() >= 3 && isSeparator(name[0]) && isSeparator(name[1]) &&
      (name[2] == '.' || name[2] == '?') && (name.size() == 3 || isSeparator(name[3]))) {
    return true;
  }
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (name[i] == ':' && !(i == 1 && isAsciiLetter(name[0]))) return true;
  }
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = start;
    while (end < name.size() && !isSeparator(name[end])) ++end;
    std::string_view part = name.substr(start, end - start);
    if (start == 0 && part.size() >= 2 && part[1] == ':') part.remove_prefix(2);
    if (!part.empty() && isReservedDevice(part)) return true;
    start = end + 1;
  }
  return false;
}

Expected<std::wstring> nativeName(std::string_view hostName) {
  const Status invalid = Status::fromNative(ERROR_INVALID_NAME);
  if (hostName.empty() || hostName.find('\0') != std::string_view::npos) return invalid;
  if (isRefusedName(hostName)) return invalid;
  const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, hostName.data(),
                                         static_cast<int>(hostName.size()), nullptr, 0);
  if (length <= 0) return invalid;
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, hostName.data(),
                      static_cast<int>(hostName.size()), wide.data(), length);
  for (wchar_t& c : wide) {
    if (c == L'/') c = L'\\';
  }
  if (wide.size() <= kLongestPlainName) return wide;
  // Long: the full name ("." and ".." resolved, as the prefixed form takes none) behind "\\?\".
  const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return invalid;
  std::vector<wchar_t> full(needed + 1);
  const DWORD got = GetFullPathNameW(wide.c_str(), needed + 1, full.data(), nullptr);
  if (got == 0 || got > needed) return invalid;
  std::wstring absolute(full.data(), got);
  if (absolute.size() >= 2 && absolute[0] == L'\\' && absolute[1] == L'\\') {
    return L"\\\\?\\UNC\\" + absolute.substr(2);
  }
  return L"\\\\?\\" + absolute;
}

Status lastError() {
  const DWORD error = GetLastError();
  if (error == ERROR_SUCCESS) return Status::failure(StatusCode::Other);
  return Status::fromNative(static_cast<int>(error));
}

}  // namespace dunax::platform::win32
