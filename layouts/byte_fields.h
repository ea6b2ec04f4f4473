// What every side of a record needs to read and write its fields: text copied into a
// fixed-width field and padded with spaces, numbers as fixed-width decimal digits, and 2-byte
// integers in either byte order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace dunax::layouts {

// Copies text into a field of width bytes and pads it with spaces; a longer text is cut.
inline void putPadded(char* field, std::size_t width, std::string_view text) {
  const std::size_t length = text.size() < width ? text.size() : width;
  if (length != 0) std::memcpy(field, text.data(), length);  // an empty view may hold no pointer
  std::memset(field + length, ' ', width - length);
}
template <std::size_t Width>
void putPadded(char (&field)[Width], std::string_view text) {
  putPadded(field, Width, text);
}

// Writes value as width decimal digits, zeros in front; a value too large keeps its last digits.
inline void putDigits(char* field, std::size_t width, std::uint64_t value) {
  for (std::size_t i = width; i > 0; --i) {
    field[i - 1] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
}
template <std::size_t Width>
void putDigits(char (&field)[Width], std::uint64_t value) {
  putDigits(field, Width, value);
}

// The whole field as text, trailing spaces kept.
template <std::size_t Width>
std::string_view textOf(const char (&field)[Width]) {
  return {field, Width};
}

// 2-byte integers, most significant byte first (the screen records, the operation code).
inline void putBigEndian16(unsigned char* at, int value) {
  const auto bits = static_cast<std::uint16_t>(value);
  at[0] = static_cast<unsigned char>(bits >> 8);
  at[1] = static_cast<unsigned char>(bits & 0xFF);
}
inline std::int16_t readBigEndian16(const unsigned char* at) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>((at[0] << 8) | at[1]));
}

// 2-byte integers, least significant byte first (the message block, the message-box block).
inline void putLittleEndian16(unsigned char* at, int value) {
  const auto bits = static_cast<std::uint16_t>(value);
  at[0] = static_cast<unsigned char>(bits & 0xFF);
  at[1] = static_cast<unsigned char>(bits >> 8);
}
inline std::int16_t readLittleEndian16(const unsigned char* at) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(at[0] | (at[1] << 8)));
}

// The record's bytes, for the calls that pass a record by reference and for clearing it.
template <class Record>
unsigned char* bytesOf(Record& record) {
  return reinterpret_cast<unsigned char*>(&record);
}
template <class Record>
const unsigned char* bytesOf(const Record& record) {
  return reinterpret_cast<const unsigned char*>(&record);
}

}  // namespace dunax::layouts
