// The message-box block: the 246 bytes the converter's dialogs pass to the message-box program
// VRDMSG, its only argument. The block carries the box's kind, its buttons and the four lines
// of the message area; VRDMSG writes the letter of the chosen button into it. Offsets from 0.
#pragma once

#include <cstddef>

namespace dunax::layouts {

inline constexpr std::size_t kMessageLineLength = 60;

struct MessageBoxBlock {
  unsigned char blockVersion[2];   //    0  kMessageBoxBlockVersion, little-endian
  char boxKind[1];                 //    2  kConfirmationBox or kErrorReportBox
  char defaultButton[1];           //    3  "y" or "n" (confirmation), "r" (error report)
  char buttonSet[1];               //    4  kYesNoButtons
  char answer[1];                  //    5  the chosen button, written by VRDMSG (zero on the way in)
  char line1[kMessageLineLength];  //    6
  char line2[kMessageLineLength];  //   66  follows line 1 with no separator
  char line3Separator[1];          //  126  line feed when line 3 is not blank, else a space
  char line3[kMessageLineLength];  //  127
  char line4Separator[1];          //  187  line feed when line 4 is not blank, else a space
  char line4[58];                  //  188  the first 58 characters of line 4
};

inline constexpr std::size_t kMessageBoxBlockLength = 246;
inline constexpr int kMessageBoxBlockVersion = 1;
inline constexpr char kConfirmationBox = 'q';
inline constexpr char kErrorReportBox = 's';
inline constexpr char kYesNoButtons = 'y';
inline constexpr char kShownLineSeparator = '\n';
inline constexpr char kHiddenLineSeparator = ' ';
// The answer letters, the buttons' letters in the block.
inline constexpr char kAnswerYes = 'y';
inline constexpr char kAnswerNo = 'n';
inline constexpr char kAnswerRetry = 'r';
inline constexpr char kAnswerCancel = 'c';

static_assert(sizeof(MessageBoxBlock) == kMessageBoxBlockLength);
static_assert(offsetof(MessageBoxBlock, boxKind) == 2);
static_assert(offsetof(MessageBoxBlock, defaultButton) == 3);
static_assert(offsetof(MessageBoxBlock, buttonSet) == 4);
static_assert(offsetof(MessageBoxBlock, answer) == 5);
static_assert(offsetof(MessageBoxBlock, line1) == 6);
static_assert(offsetof(MessageBoxBlock, line2) == 66);
static_assert(offsetof(MessageBoxBlock, line3Separator) == 126);
static_assert(offsetof(MessageBoxBlock, line3) == 127);
static_assert(offsetof(MessageBoxBlock, line4Separator) == 187);
static_assert(offsetof(MessageBoxBlock, line4) == 188);

}  // namespace dunax::layouts
