// Inside the Windows half only: the host's names and texts as this system holds them (UTF-8)
// turned into the UTF-16 that the Windows "W" calls take, and back.
#pragma once

#include <windows.h>

#include <string>

namespace dunax::platform::win32 {

// UTF-8 text as UTF-16; an invalid sequence becomes U+FFFD.
inline std::wstring wideFromUtf8(const std::string& text) {
  if (text.empty()) return {};
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                      length);
  return wide;
}

// UTF-16 text as UTF-8; an unpaired surrogate becomes U+FFFD.
inline std::string utf8FromWide(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length,
                      nullptr, nullptr);
  return text;
}

}  // namespace dunax::platform::win32
