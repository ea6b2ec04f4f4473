// The message area of every dialog (four lines of 60 characters) and how it goes into the
// message-box block (layouts/message_box_block.h) that carries it to VRDMSG.
#pragma once

#include <cstddef>
#include <string_view>

#include "layouts/message_box_block.h"

namespace dunax::dialogs {

inline constexpr std::size_t kLineLength = layouts::kMessageLineLength;
using layouts::MessageBoxBlock;

struct MessageArea {
  char lines[4][kLineLength];

  // Sets all four lines to spaces.
  void clear();
  // Writes text into line number (1 to 4), cut at 60 characters and padded with spaces.
  void setLine(int number, std::string_view text);
};

enum class BoxKind : char {
  Confirmation = layouts::kConfirmationBox,
  ErrorReport = layouts::kErrorReportBox
};

// Builds the block for one dialog: zeros, binary 1, the kind, the default button ("n" for a
// confirmation whose default flag is "N", else "y"; "r" for an error report), "y", the lines
// with a line feed before line 3 and line 4 when they are not blank (a space otherwise).
void buildMessageBoxBlock(MessageBoxBlock& block, BoxKind kind, char defaultFlag,
                          const MessageArea& message);

}  // namespace dunax::dialogs
