// Windows-1252 to UTF-8 and back, by the code page's table.
#include "platform/text_encoding.h"

#include <cstdint>

namespace dunax::platform {
namespace {

// Code points of the bytes 0x80 to 0x9F; 0 marks the five bytes with no character.
constexpr std::uint16_t kHighControlRange[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

std::uint32_t codePointOf(unsigned char byte) {
  if (byte == 0) return ' ';
  if (byte < 0x20 || byte == 0x7F) return '?';
  if (byte < 0x80) return byte;
  if (byte < 0xA0) {
    std::uint16_t point = kHighControlRange[byte - 0x80];
    return point == 0 ? '?' : point;
  }
  return byte;
}

void appendCodePoint(std::uint32_t point, std::string& out) {
  if (point < 0x80) {
    out += static_cast<char>(point);
  } else if (point < 0x800) {
    out += static_cast<char>(0xC0 | (point >> 6));
    out += static_cast<char>(0x80 | (point & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (point >> 12));
    out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (point & 0x3F));
  }
}

char windows1252Of(std::uint32_t point) {
  if (point < 0x80 || (point >= 0xA0 && point <= 0xFF)) return static_cast<char>(point);
  for (int i = 0; i < 32; ++i) {
    if (kHighControlRange[i] != 0 && kHighControlRange[i] == point) {
      return static_cast<char>(0x80 + i);
    }
  }
  return '?';
}

// Decodes the UTF-8 character at text[i] strictly (shortest form, no surrogates, at most
// U+10FFFF). Returns its length in bytes and sets point; 0 when the bytes there are not one.
std::size_t decodeStrict(std::string_view text, std::size_t i, std::uint32_t& point) {
  unsigned char lead = static_cast<unsigned char>(text[i]);
  if (lead < 0x80) {
    point = lead;
    return 1;
  }
  std::size_t length = lead >= 0xC2 && lead <= 0xDF ? 2
                       : lead >= 0xE0 && lead <= 0xEF ? 3
                       : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                      : 0;
  if (length == 0 || i + length > text.size()) return 0;
  point = lead & (0x7F >> length);
  for (std::size_t k = 1; k < length; ++k) {
    unsigned char next = static_cast<unsigned char>(text[i + k]);
    if ((next & 0xC0) != 0x80) return 0;
    point = (point << 6) | (next & 0x3F);
  }
  constexpr std::uint32_t kShortest[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (point < kShortest[length] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) {
    return 0;
  }
  return length;
}

// Converts name to Windows-1252 into out, "?" for what has none; false when anything had none.
bool convertName(std::string_view name, std::string& out) {
  out.reserve(name.size());
  bool exact = true;
  std::size_t i = 0;
  while (i < name.size()) {
    std::uint32_t point = 0;
    std::size_t length = decodeStrict(name, i, point);
    char byte = length == 0 ? '?' : windows1252Of(point);
    if (length == 0 || (byte == '?' && point != '?')) exact = false;
    out += byte;
    i += length == 0 ? 1 : length;
  }
  return exact;
}

}  // namespace

Expected<std::string> utf8NameFromWindows1252(std::string_view name) {
  std::string out;
  out.reserve(name.size() * 2);
  for (char c : name) {
    unsigned char byte = static_cast<unsigned char>(c);
    std::uint32_t point = byte;
    if (byte >= 0x80 && byte < 0xA0) {
      point = kHighControlRange[byte - 0x80];
      if (point == 0) {
        return Status::failure(StatusCode::InvalidName,
                               "it holds a byte with no character in Windows-1252");
      }
    }
    appendCodePoint(point, out);
  }
  return out;
}

Expected<std::string> windows1252NameFromUtf8(std::string_view name) {
  std::string out;
  if (!convertName(name, out)) {
    return Status::failure(StatusCode::InvalidName,
                           "it holds a character with no Windows-1252 byte");
  }
  return out;
}

std::string windows1252TextFromUtf8(std::string_view name) {
  std::string out;
  (void)convertName(name, out);  // the "?" in place of what has no byte is the text shown
  return out;
}

void appendUtf8FromWindows1252(const char* text, std::size_t length, std::string& out) {
  for (std::size_t i = 0; i < length; ++i) {
    appendCodePoint(codePointOf(static_cast<unsigned char>(text[i])), out);
  }
}

std::string windows1252FromUtf8(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    int extra = lead >= 0xF0 && lead < 0xF8 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 ? 1 : 0;
    if (extra == 0 || i + static_cast<std::size_t>(extra) >= text.size()) {
      out += static_cast<char>(lead);
      ++i;
      continue;
    }
    std::uint32_t point = lead & (0x3F >> extra);
    bool valid = true;
    for (int k = 1; k <= extra; ++k) {
      unsigned char next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) {
        valid = false;
        break;
      }
      point = (point << 6) | (next & 0x3F);
    }
    if (!valid) {
      out += static_cast<char>(lead);
      ++i;
      continue;
    }
    out += windows1252Of(point);
    i += static_cast<std::size_t>(extra) + 1;
  }
  return out;
}

}  // namespace dunax::platform
