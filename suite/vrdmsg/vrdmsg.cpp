// VRDMSG, the message box: answers from the scripted list DUNAX_VRDMSG_ANSWERS when it holds
// one, else from the operator on the terminal, else with "u" (nobody answered); logs every call
// to DUNAX_VRDMSG_LOG when that is set. A termination request while the box waits ends the wait
// with "u" and is passed on to the caller's own handler once the box is gone.
#include <string>

#include "platform/module_export.h"
#include "platform/process.h"
#include "platform/record_file.h"
#include "platform/terminal.h"
#include "platform/termination_watch.h"
#include "suite/vrdmsg/message_box.h"

namespace dunax::vrdmsg {
namespace {

constexpr const char kAnswersVariable[] = "DUNAX_VRDMSG_ANSWERS";
constexpr const char kLogVariable[] = "DUNAX_VRDMSG_LOG";
// The longest the key wait goes without looking at the termination watch (a signal also ends a
// wait in progress; this covers one that comes just before it starts).
constexpr int kKeyWaitMilliseconds = 200;

// Takes the next answer of the scripted list and leaves the rest in the environment.
// Returns 0 when there is no list or it is exhausted.
char takeNextScriptedAnswer() {
  const char* list = platform::environmentValue(kAnswersVariable);
  std::string rest;
  char answer = takeScriptedAnswer(list, rest);
  // Best effort: a list that cannot be shortened gives its answer again next time.
  if (answer != 0) (void)platform::setEnvironmentValue(kAnswersVariable, rest.c_str());
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

// Shows the box on the terminal and waits for the operator, or until watch notes a termination
// request. Returns the letter of the chosen button, "c" for a cancel, kNobodyAnswered when the
// terminal cannot be put into key mode, its input ends or a termination request came.
char askOnTerminal(const unsigned char* block, const platform::TerminationWatch& watch) {
  BoxContent box = readBoxContent(block);
  if (!platform::enterKeyInputMode(false).ok()) return kNobodyAnswered;
  platform::TerminalSize size = platform::terminalSize();
  BoxPlace place = placeBox(box, size.rows, size.columns);
  int selected = box.defaultButton;
  std::string out = "\x1b" "7\x1b[?25l";
  appendBoxDrawing(box, place, selected, out);
  // A terminal that takes no output cannot be drawn on; its keys are still read.
  (void)platform::writeToTerminal(out.data(), out.size());

  char answer = 0;
  while (answer == 0) {
    if (watch.requested()) {
      answer = kNobodyAnswered;
      break;
    }
    char keys[64];
    platform::Expected<int> read =
        platform::readKeyBytes(keys, sizeof keys, kKeyWaitMilliseconds);
    if (!read) {
      answer = kNobodyAnswered;
      break;
    }
    const int count = *read;
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
        (void)platform::writeToTerminal(out.data(), out.size());  // as above
      }
    }
  }

  out.clear();
  appendBoxClearing(place, out);
  out += "\x1b" "8\x1b[0m\x1b[?25h";
  (void)platform::writeToTerminal(out.data(), out.size());  // as above
  platform::leaveKeyInputMode();
  return answer;
}

// Logs the call and writes the answer letter into the block.
void answerWith(char answer, unsigned char* block) {
  logCall(answer, block);
  reinterpret_cast<MessageBoxBlock*>(block)->answer[0] = answer;
}

}  // namespace
}  // namespace dunax::vrdmsg

// The entry point: block is the 246-byte message-box block. Writes the answer letter at offset 5.
// Returns 0.
extern "C" DUNAX_EXPORT int VRDMSG(void* block) {
  using namespace dunax::vrdmsg;
  auto* bytes = static_cast<unsigned char*>(block);
  char answer = takeNextScriptedAnswer();
  if (answer != 0 || !dunax::platform::standardStreamsAreTerminals()) {
    answerWith(answer != 0 ? answer : kNobodyAnswered, bytes);
    return 0;
  }
  dunax::platform::TerminationWatch watch;
  answerWith(askOnTerminal(bytes, watch), bytes);
  // The box is gone and the terminal put back: a termination request that ended the wait now
  // reaches the handler the caller had installed.
  watch.endAndPassOn();
  return 0;
}
