// The dialog service: confirmations (yes/no questions) and error reports, asked through the
// outside message-box program (VRDMSG), one call per dialog.
#pragma once

#include <optional>

#include "dialogs/message_box_block.h"
#include "dialogs/message_box_program.h"
#include "platform/status.h"

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

// The button a confirmation offers first.
enum class Default { Yes, No };

class DialogService {
 public:
  explicit DialogService(MessageBoxProgram& messageBox) : messageBox_(messageBox) {}

  // The text of the next dialog; callers clear it and write their lines.
  MessageArea message{};

  // Asks the question in the message area with the given default button.
  // Returns "S", "N", "I" or another letter VRDMSG gave; nothing when the message box cannot
  // be reached (no question was shown).
  std::optional<char> confirm(Default defaultButton);

  // Shows the error report in the message area. Returns "R", "I" or another letter VRDMSG
  // gave; nothing when the message box cannot be reached.
  std::optional<char> reportError();

  // True once the message box could not be reached. The two console lines that say so have
  // been written then; no further dialog is tried, and the run must end (exit code 16: it
  // cannot ask its questions, and that never reads as "file converted").
  bool messageBoxMissing() const { return messageBoxMissing_; }
  // Why the message box could not be reached (success while it could).
  const platform::Status& messageBoxFailure() const { return messageBoxFailure_; }

 private:
  std::optional<unsigned char> ask(BoxKind kind, char defaultFlag);
  void sayMessageBoxMissing();

  MessageBoxProgram& messageBox_;
  bool messageBoxMissing_ = false;
  platform::Status messageBoxFailure_;
};

}  // namespace dunax::dialogs
