// The executor's records: filling the message, window and start-up blocks.
#include "executor/records.h"

#include <cstring>

#include "executor/literals.h"

namespace dunax::executor {

// cppcheck-suppress constParameter ; the block's arrays are written through memset
void clearForFetch(MessageBlock& block) {
  std::memset(block.beforeText, 0, sizeof block.beforeText);
  std::memset(block.text, 0, sizeof block.text);
}

void fillReplyNotes(MessageBlock& block, int exitStatus, std::string_view reason) {
  layouts::ReplyNotes notes;
  std::memset(&notes, ' ', sizeof notes);
  if (exitStatus >= 0) putDigits(notes.exitStatus, static_cast<std::uint64_t>(exitStatus));
  putPadded(notes.reason, reason);
  std::memcpy(block.text + layouts::kReplyNotesOffset, &notes, sizeof notes);
}

void fillWindowBlock(WindowRecord& window) {
  std::memset(&window, 0, sizeof window);
  const int libraryWords[6] = {0, 10, 38, 38, 100, 100};
  for (std::size_t i = 0; i < 6; ++i) {
    layouts::putLittleEndian16(window.libraryArea + 2 * i, libraryWords[i]);
  }
  layouts::putLittleEndian16(window.columns, 80);
  layouts::putLittleEndian16(window.rows, 25);
  layouts::putPadded(window.windowName, text::kWindowName);
  window.windowMark[0] = text::kWindowMark[0];
}

void fillStartUpBlock(StartUpBlock& block) {
  std::memset(block.result, 0, sizeof block.result);
  layouts::putPadded(block.callerName, text::kStartUpName);
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
