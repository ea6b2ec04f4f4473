// The message-box block that VRDMSG receives (layouts/message_box_block.h) and the portable
// logic of the box:
// its default answer, scripted answers, the log line, the lines and buttons it shows and what
// each key does. The terminal side is in vrdmsg.cpp.
#pragma once

#include <cstddef>
#include <string>

#include "layouts/message_box_block.h"

namespace dunax::vrdmsg {

// The block's bytes are passed as they come; lines are Windows-1252 text.
using layouts::MessageBoxBlock;
inline constexpr std::size_t kBlockSize = layouts::kMessageBoxBlockLength;

// The answer when nobody can be asked (no scripted answer left, no terminal in the foreground,
// the terminal's input gone, or a termination request while the box waited): none of the
// buttons (y, n, r, c), so that the caller never takes it for the operator's choice.
inline constexpr char kNobodyAnswered = 'u';

enum class BoxKind { Confirmation, ErrorReport };

// The kind at offset 2: "s" is an error report, anything else a confirmation.
BoxKind boxKindOf(const unsigned char* block);

// The letter of the box's default button, the one selected when the box shows: for a
// confirmation the letter at offset 3 ("y" or "n"; any other byte gives "y"), for an error
// report "r".
char defaultAnswerOf(const unsigned char* block);

// Takes the next scripted answer from list (the value of DUNAX_VRDMSG_ANSWERS): its first
// character. Writes the rest of the list to rest. Returns 0 when the list is empty.
char takeScriptedAnswer(const char* list, std::string& rest);

// The log line of one call, without the line end: the answer letter, a space, then the 246 block
// bytes as 492 lower-case hex digits.
std::string formatLogLine(char answer, const unsigned char* block);

// What the box shows: up to four lines of text (Windows-1252, trailing spaces removed; line 2 is
// always kept, lines 3 and 4 only when their separator is a line feed and they are not blank),
// its title and its two buttons, with the answer letter of each.
struct BoxContent {
  BoxKind kind;
  std::string title;
  std::string lines[4];
  int lineCount = 0;
  std::string buttonCaptions[2];
  char buttonAnswers[2];
  int defaultButton = 0;  // index into the buttons
};

// Reads the content of the box from the block.
BoxContent readBoxContent(const unsigned char* block);

// What a key (the bytes of one read from the terminal) does to the box.
enum class KeyAction {
  None,        // nothing the box knows
  Answer,      // the box is answered with the letter given
  SelectNext,  // the other button becomes the selected one (arrows, Tab)
};

// Interprets the first key in bytes (length at least 1): the letters s/n (confirmation) and r/c
// (both kinds: c cancels), in either case; Enter for the selected button; Esc alone, or Ctrl+C,
// for "c"; the left and right arrows and Tab to move the selection. Writes to answer when the
// action is Answer and the number of bytes the key took to consumed (at least 1).
KeyAction interpretKey(const BoxContent& box, int selected, const char* bytes, int length,
                       char& answer, int& consumed);

}  // namespace dunax::vrdmsg

namespace dunax::vrdmsg {

// Where the box stands on a terminal of the given size (0-based row and column of its corner).
struct BoxPlace {
  int top;
  int left;
  int height;
  int width;
};

// Places the box in the middle of a rows by columns terminal (narrowed to fit).
BoxPlace placeBox(const BoxContent& box, int rows, int columns);

// Appends the terminal text (UTF-8 and escape sequences) that draws the box at place, with the
// button selected (0 or 1) shown in reverse video.
void appendBoxDrawing(const BoxContent& box, const BoxPlace& place, int selected,
                      std::string& out);

// Appends the terminal text that blanks the area of the box again.
void appendBoxClearing(const BoxPlace& place, std::string& out);

}  // namespace dunax::vrdmsg
