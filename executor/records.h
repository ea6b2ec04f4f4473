// The executor's fixed records: the 256-byte exchange record, the 1014-byte message block of
// the screen library's post and fetch, the placeholder window block and the start-up block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace dunax::executor {

// Exchange record (offsets from 0): tag 0-4, stamp 5-12, type word 13-16, verb 17-21,
// argument 1 22-101, argument 2 102-181, rest 182-255. Single-byte Windows-1252 text.
struct ExchangeRecord {
  static constexpr std::size_t kTag = 0, kTagLength = 5;
  static constexpr std::size_t kStamp = 5, kStampLength = 8;
  static constexpr std::size_t kType = 13, kTypeLength = 4;
  static constexpr std::size_t kVerb = 17, kVerbLength = 5;
  static constexpr std::size_t kArgument1 = 22;
  static constexpr std::size_t kArgument2 = 102;
  static constexpr std::size_t kArgumentLength = 80;
  static constexpr std::size_t kRest = 182, kRestLength = 74;
  static constexpr std::size_t kPrefixLength = 17;  // tag, stamp and type word
  static constexpr std::size_t kLength = 256;

  char bytes[kLength];

  char* type() { return bytes + kType; }
  char* verb() { return bytes + kVerb; }
  char* argument1() { return bytes + kArgument1; }
  char* argument2() { return bytes + kArgument2; }
  const char* argument1() const { return bytes + kArgument1; }
  const char* argument2() const { return bytes + kArgument2; }
  std::string_view typeWord() const { return {bytes + kType, kTypeLength}; }
  std::string_view verbField() const { return {bytes + kVerb, kVerbLength}; }
};
static_assert(sizeof(ExchangeRecord) == 256);

// Message block of operations 53 (post) and 54 (fetch): return code at 0, then 10, 2, 0,
// 1000, 1000 (2-byte little-endian each), two zero bytes at 12, the 1000-byte text at 14.
struct MessageBlock {
  static constexpr std::size_t kReturnCode = 0;
  static constexpr std::size_t kFieldBeforeText = 12;
  static constexpr std::size_t kText = 14;
  static constexpr std::size_t kTextLength = 1000;
  static constexpr std::size_t kLength = 1014;

  unsigned char bytes[kLength];

  unsigned char* text() { return bytes + kText; }
  const unsigned char* text() const { return bytes + kText; }
  int returnCode() const { return bytes[0] | (bytes[1] << 8); }
};
static_assert(sizeof(MessageBlock) == 1014);

// Placeholder window block (operation 0), 188 bytes.
struct WindowBlock {
  static constexpr std::size_t kLength = 188;
  unsigned char bytes[kLength];
};
static_assert(sizeof(WindowBlock) == 188);

// Start-up block (operation 83): a 2-byte zero field, then the 8-character name.
struct StartUpBlock {
  static constexpr std::size_t kLength = 10;
  unsigned char bytes[kLength];
};
static_assert(sizeof(StartUpBlock) == 10);

// Writes value into two bytes, least significant first.
void putLittleEndian16(unsigned char* at, std::uint16_t value);

// Sets the block's fixed values (10, 2, 0, 1000, 1000), zeroes the return code, the field in
// front of the text and the text.
void initialiseMessageBlock(MessageBlock& block);

// Sets the text and the 2-byte field in front of it to binary zeros, as before every fetch.
void clearForFetch(MessageBlock& block);

// Puts the record into the text followed by 744 spaces, the field in front of it zero, as
// before every post.
void fillForPost(MessageBlock& block, const ExchangeRecord& record);

// Fills the placeholder window block: 0, 10, 38, 38, 100, 100 in the first 12 bytes; zeros
// after, except width 80 at 20, height 25 at 22, "Dummy2  " at 50 and "x" at 79.
void fillWindowBlock(WindowBlock& block);

// Fills the start-up block: two zero bytes and "VRD     ".
void fillStartUpBlock(StartUpBlock& block);

// Writes text into an area of width bytes: copied, then space-padded (cut when longer).
void putPadded(char* area, std::size_t width, std::string_view text);

// Returns the area up to its first space (the whole area when it holds none).
std::string_view nameIn(const char* area, std::size_t width);

// Returns true when every byte of the area is a space.
bool isBlank(const char* area, std::size_t width);

}  // namespace dunax::executor
