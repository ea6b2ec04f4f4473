// VRDMSG, the message box: answers from the scripted list DUNAX_VRDMSG_ANSWERS when it holds
// one, else from the operator on the terminal, else with the box's default button; logs every
// call to DUNAX_VRDMSG_LOG when that is set.
#include <string>

#include "platform/process.h"
#include "platform/record_file.h"
#include "platform/terminal.h"
#include "suite/vrdmsg/message_box.h"

namespace dunax::vrdmsg {
namespace {

constexpr const char kAnswersVariable[] = "DUNAX_VRDMSG_ANSWERS";
constexpr const char kLogVariable[] = "DUNAX_VRDMSG_LOG";

// Takes the next answer of the scripted list and leaves the rest in the environment.
// Returns 0 when there is no list or it is exhausted.
char takeNextScriptedAnswer() {
  const char* list = platform::environmentValue(kAnswersVariable);
  std::string rest;
  char answer = takeScriptedAnswer(list, rest);
  if (answer != 0) platform::setEnvironmentValue(kAnswersVariable, rest.c_str());
  return answer;
}

// Appends the log line of this call to the file named by DUNAX_VRDMSG_LOG, when it is set.
void logCall(char answer, const unsigned char* block) {
  const char* path = platform::environmentValue(kLogVariable);
  if (path == nullptr || path[0] == '\0') return;
  std::string line = formatLogLine(answer, block);
  platform::RecordFile log(platform::Organization::LineSequential, line.size());
  if (log.open(path, platform::OpenMode::Extend).ok()) {
    log.write(line.data());
    log.close();
  }
}

// Shows the box on the terminal and waits for the operator.
// Returns the letter of the chosen button, "c" for a cancel, the default answer when the
// terminal cannot be put into key mode or its input ends.
char askOnTerminal(const unsigned char* block) {
  BoxContent box = readBoxContent(block);
  char fallback = defaultAnswerOf(block);
  if (!platform::enterKeyInputMode(false)) return fallback;
  platform::TerminalSize size = platform::terminalSize();
  BoxPlace place = placeBox(box, size.rows, size.columns);
  int selected = box.defaultButton;
  std::string out = "\x1b" "7\x1b[?25l";
  appendBoxDrawing(box, place, selected, out);
  platform::writeToTerminal(out.data(), out.size());

  char answer = 0;
  while (answer == 0) {
    char keys[64];
    int count = platform::readKeyBytes(keys, sizeof keys, -1);
    if (count < 0) {
      answer = fallback;
      break;
    }
    int at = 0;
    while (at < count && answer == 0) {
      int consumed = 1;
      char letter = 0;
      KeyAction action = interpretKey(box, selected, keys + at, count - at, letter, consumed);
      at += consumed;
      if (action == KeyAction::Answer) {
        answer = letter;
      } else if (action == KeyAction::SelectNext) {
        selected = 1 - selected;
        out.clear();
        appendBoxDrawing(box, place, selected, out);
        platform::writeToTerminal(out.data(), out.size());
      }
    }
  }

  out.clear();
  appendBoxClearing(place, out);
  out += "\x1b" "8\x1b[0m\x1b[?25h";
  platform::writeToTerminal(out.data(), out.size());
  platform::leaveKeyInputMode();
  return answer;
}

}  // namespace
}  // namespace dunax::vrdmsg

// The entry point: block is the 246-byte message-box block. Writes the answer letter at offset 5.
// Returns 0.
extern "C" __attribute__((visibility("default"))) int VRDMSG(void* block) {
  using namespace dunax::vrdmsg;
  auto* bytes = static_cast<unsigned char*>(block);
  char answer = takeNextScriptedAnswer();
  if (answer == 0) {
    answer = dunax::platform::standardStreamsAreTerminals() ? askOnTerminal(bytes)
                                                             : defaultAnswerOf(bytes);
  }
  logCall(answer, bytes);
  bytes[kAnswerOffset] = static_cast<unsigned char>(answer);
  return 0;
}
