// Building the message-box block from the message area.
#include "dialogs/message_box_block.h"

#include <cstring>

namespace dunax::dialogs {
namespace {

bool isBlank(const char* line) {
  for (std::size_t i = 0; i < kLineLength; ++i) {
    if (line[i] != ' ') return false;
  }
  return true;
}

}  // namespace

void MessageArea::clear() { std::memset(lines, ' ', sizeof lines); }

void MessageArea::setLine(int number, std::string_view text) {
  if (number < 1 || number > 4) return;
  char* line = lines[number - 1];
  std::memset(line, ' ', kLineLength);
  std::memcpy(line, text.data(), text.size() < kLineLength ? text.size() : kLineLength);
}

void buildMessageBoxBlock(MessageBoxBlock& block, BoxKind kind, char defaultFlag,
                          const MessageArea& message) {
  using namespace box_offsets;
  std::memset(block.bytes, 0, sizeof block.bytes);
  block.bytes[kOne] = 1;
  block.bytes[kKind] = static_cast<unsigned char>(kind);
  if (kind == BoxKind::Confirmation) {
    block.bytes[kDefaultButton] = defaultFlag == 'N' ? 'n' : 'y';
  } else {
    block.bytes[kDefaultButton] = 'r';
  }
  block.bytes[kSecondButton] = 'y';
  std::memcpy(block.bytes + kLine1, message.lines[0], kLineLength);
  std::memcpy(block.bytes + kLine2, message.lines[1], kLineLength);
  block.bytes[kSeparator3] = isBlank(message.lines[2]) ? ' ' : '\n';
  block.bytes[kSeparator4] = isBlank(message.lines[3]) ? ' ' : '\n';
  std::memcpy(block.bytes + kLine3, message.lines[2], kLineLength);
  std::memcpy(block.bytes + kLine4, message.lines[3], kLine4Length);
}

}  // namespace dunax::dialogs
