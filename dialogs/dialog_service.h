// The dialog service: confirmations (yes/no questions) and error reports, asked through the
// outside message-box program VRDMSG, which is loaded for every dialog and released after it.
#pragma once

#include "dialogs/message_box_block.h"

namespace dunax::dialogs {

// Answers of a confirmation: "S" yes, "N" no, "I" cancelled; other letters pass through.
// Answers of an error report: "R" retry, "I" cancelled; other letters pass through.
inline constexpr char kYes = 'S';
inline constexpr char kNo = 'N';
inline constexpr char kCancelled = 'I';
inline constexpr char kRetry = 'R';
// The letter VRDMSG answers when nobody can be asked (no terminal, no scripted answer). It is
// none of the buttons: a question nobody answered never counts as "no, convert again".
inline constexpr char kNobodyAnswered = 'u';

// Exit code of a run that cannot ask its questions because VRDMSG is missing: it must never
// read as "file converted" to the manager.
inline constexpr int kExitMessageBoxMissing = 16;

class DialogService {
 public:
  // The text of the next dialog; callers clear it and write their lines.
  MessageArea message{};
  // "N" makes the next confirmation default to no; every dialog sets it back to a space.
  char defaultFlag = ' ';

  // Asks the question in the message area. Returns "S", "N", "I" or the letter VRDMSG gave.
  // When VRDMSG cannot be found the run ends here (see kExitMessageBoxMissing).
  char confirm();

  // Shows the error report in the message area. Returns "R", "I" or the letter VRDMSG gave.
  // When VRDMSG cannot be found the run ends here.
  char reportError();

  char confirmationAnswer() const { return confirmationAnswer_; }
  char errorReportAnswer() const { return errorReportAnswer_; }

 private:
  char ask(BoxKind kind);
  [[noreturn]] void endForMissingMessageBox();

  char confirmationAnswer_ = ' ';
  char errorReportAnswer_ = ' ';
};

}  // namespace dunax::dialogs
