// Fuzz target: the message-box block as VRDMSG.so reads it (246 bytes from the caller), and the
// keys of a terminal as the box reads them: the box's content, default answer, log line, place
// and drawing on terminals of fuzzed sizes, and what each key does.
//
// Input: 246 bytes of block (padded with zero bytes when shorter), 2 bytes of terminal size,
// then the bytes read from the terminal.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "suite/vrdmsg/message_box.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace dunax::vrdmsg;
  unsigned char block[kBlockSize];
  std::memset(block, 0, sizeof block);
  const std::size_t taken = size < kBlockSize ? size : kBlockSize;
  std::memcpy(block, data, taken);
  data += taken;
  size -= taken;
  int rows = 24;
  int columns = 80;
  if (size >= 2) {
    rows = data[0] % 70 - 5;
    columns = data[1] * 2 % 260 - 10;
    data += 2;
    size -= 2;
  }

  const char answer = defaultAnswerOf(block);
  DUNAX_FUZZ_CHECK(answer == 'y' || answer == 'n' || answer == 'r');
  const std::string log = formatLogLine(answer, block);
  DUNAX_FUZZ_CHECK(log.size() == 2 + 2 * kBlockSize);

  const BoxContent box = readBoxContent(block);
  DUNAX_FUZZ_CHECK(box.lineCount >= 0 && box.lineCount <= 4);
  DUNAX_FUZZ_CHECK(box.defaultButton == 0 || box.defaultButton == 1);

  const BoxPlace place = placeBox(box, rows, columns);
  std::string drawing;
  for (int selected = 0; selected < 2; ++selected) appendBoxDrawing(box, place, selected, drawing);
  appendBoxClearing(place, drawing);

  const char* keys = reinterpret_cast<const char*>(data);
  int left = static_cast<int>(size < 4096 ? size : 4096);
  int selected = box.defaultButton;
  while (left > 0) {
    char letter = 0;
    int consumed = 0;
    KeyAction action = interpretKey(box, selected, keys, left, letter, consumed);
    DUNAX_FUZZ_CHECK(consumed >= 1 && consumed <= left);
    if (action == KeyAction::Answer) {
      DUNAX_FUZZ_CHECK(letter == box.buttonAnswers[0] || letter == box.buttonAnswers[1] ||
                       letter == 'c' || letter == 'y' || letter == 'n' || letter == 'r');
    }
    if (action == KeyAction::SelectNext) selected = 1 - selected;
    keys += consumed;
    left -= consumed;
  }

  std::string rest;
  const std::string list(reinterpret_cast<const char*>(block), kBlockSize);
  const std::string terminated = list.substr(0, list.find('\0'));
  const char scripted = takeScriptedAnswer(terminated.c_str(), rest);
  DUNAX_FUZZ_CHECK(rest.size() < terminated.size() + 1);
  (void)scripted;
  return 0;
}
