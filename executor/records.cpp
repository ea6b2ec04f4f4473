// The executor's fixed records: filling the message, window and start-up blocks.
#include "executor/records.h"

#include <cstring>

#include "executor/literals.h"

namespace dunax::executor {

void putLittleEndian16(unsigned char* at, std::uint16_t value) {
  at[0] = static_cast<unsigned char>(value & 0xFF);
  at[1] = static_cast<unsigned char>(value >> 8);
}

void initialiseMessageBlock(MessageBlock& block) {
  std::memset(block.bytes, 0, sizeof block.bytes);
  putLittleEndian16(block.bytes + 2, 10);
  putLittleEndian16(block.bytes + 4, 2);
  putLittleEndian16(block.bytes + 6, 0);
  putLittleEndian16(block.bytes + 8, 1000);
  putLittleEndian16(block.bytes + 10, 1000);
}

void clearForFetch(MessageBlock& block) {
  std::memset(block.bytes + MessageBlock::kFieldBeforeText, 0, 2 + MessageBlock::kTextLength);
}

void fillForPost(MessageBlock& block, const ExchangeRecord& record) {
  block.bytes[MessageBlock::kFieldBeforeText] = 0;
  block.bytes[MessageBlock::kFieldBeforeText + 1] = 0;
  std::memcpy(block.text(), record.bytes, ExchangeRecord::kLength);
  std::memset(block.text() + ExchangeRecord::kLength, ' ',
              MessageBlock::kTextLength - ExchangeRecord::kLength);
}

void fillWindowBlock(WindowBlock& block) {
  std::memset(block.bytes, 0, sizeof block.bytes);
  const std::uint16_t head[6] = {0, 10, 38, 38, 100, 100};
  for (std::size_t i = 0; i < 6; ++i) putLittleEndian16(block.bytes + 2 * i, head[i]);
  putLittleEndian16(block.bytes + 20, 80);
  putLittleEndian16(block.bytes + 22, 25);
  std::memcpy(block.bytes + 50, text::kWindowName, 8);
  block.bytes[79] = static_cast<unsigned char>(text::kWindowMark[0]);
}

void fillStartUpBlock(StartUpBlock& block) {
  block.bytes[0] = 0;
  block.bytes[1] = 0;
  std::memcpy(block.bytes + 2, text::kStartUpName, 8);
}

void putPadded(char* area, std::size_t width, std::string_view text) {
  std::size_t length = text.size() < width ? text.size() : width;
  std::memcpy(area, text.data(), length);
  std::memset(area + length, ' ', width - length);
}

std::string_view nameIn(const char* area, std::size_t width) {
  std::size_t length = 0;
  while (length < width && area[length] != ' ') ++length;
  return {area, length};
}

bool isBlank(const char* area, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i) {
    if (area[i] != ' ') return false;
  }
  return true;
}

}  // namespace dunax::executor
