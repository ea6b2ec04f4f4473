// The message area of every dialog (four lines of 60 characters) and the 246-byte block that
// carries it to the message-box program VRDMSG.
#pragma once

#include <cstddef>
#include <string_view>

namespace dunax::dialogs {

inline constexpr std::size_t kLineLength = 60;
inline constexpr std::size_t kMessageBoxBlockLength = 246;

struct MessageArea {
  char lines[4][kLineLength];

  // Sets all four lines to spaces.
  void clear();
  // Writes text into line number (1 to 4), cut at 60 characters and padded with spaces.
  void setLine(int number, std::string_view text);
};

enum class BoxKind : char { Confirmation = 'q', ErrorReport = 's' };

// Offsets in the message-box block.
namespace box_offsets {
inline constexpr std::size_t kOne = 0;            // binary 1, little-endian
inline constexpr std::size_t kKind = 2;           // "q" or "s"
inline constexpr std::size_t kDefaultButton = 3;  // "y", "n" or "r"
inline constexpr std::size_t kSecondButton = 4;   // "y"
inline constexpr std::size_t kAnswer = 5;         // written by VRDMSG
inline constexpr std::size_t kLine1 = 6;
inline constexpr std::size_t kLine2 = 66;
inline constexpr std::size_t kSeparator3 = 126;
inline constexpr std::size_t kLine3 = 127;
inline constexpr std::size_t kSeparator4 = 187;
inline constexpr std::size_t kLine4 = 188;         // the first 58 characters of line 4
inline constexpr std::size_t kLine4Length = 58;
}  // namespace box_offsets

struct MessageBoxBlock {
  unsigned char bytes[kMessageBoxBlockLength];
};
static_assert(sizeof(MessageBoxBlock) == kMessageBoxBlockLength);

// Builds the block for one dialog: zeros, binary 1, the kind, the default button ("n" for a
// confirmation whose default flag is "N", else "y"; "r" for an error report), "y", the lines
// with a line feed before line 3 and line 4 when they are not blank (a space otherwise).
void buildMessageBoxBlock(MessageBoxBlock& block, BoxKind kind, char defaultFlag,
                          const MessageArea& message);

}  // namespace dunax::dialogs
