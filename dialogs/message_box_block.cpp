// Building the message-box block from the message area.
#include "dialogs/message_box_block.h"

#include <cstring>

#include "layouts/byte_fields.h"

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
  layouts::putPadded(lines[number - 1], kLineLength, text);
}

void buildMessageBoxBlock(MessageBoxBlock& block, BoxKind kind, char defaultFlag,
                          const MessageArea& message) {
  using namespace layouts;
  std::memset(&block, 0, sizeof block);
  putLittleEndian16(block.blockVersion, kMessageBoxBlockVersion);
  block.boxKind[0] = static_cast<char>(kind);
  if (kind == BoxKind::Confirmation) {
    block.defaultButton[0] = defaultFlag == 'N' ? kAnswerNo : kAnswerYes;
  } else {
    block.defaultButton[0] = kAnswerRetry;
  }
  block.buttonSet[0] = kYesNoButtons;
  std::memcpy(block.line1, message.lines[0], sizeof block.line1);
  std::memcpy(block.line2, message.lines[1], sizeof block.line2);
  block.line3Separator[0] = isBlank(message.lines[2]) ? kHiddenLineSeparator : kShownLineSeparator;
  block.line4Separator[0] = isBlank(message.lines[3]) ? kHiddenLineSeparator : kShownLineSeparator;
  std::memcpy(block.line3, message.lines[2], sizeof block.line3);
  std::memcpy(block.line4, message.lines[3], sizeof block.line4);
}

}  // namespace dunax::dialogs
