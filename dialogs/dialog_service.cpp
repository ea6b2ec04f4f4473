// The dialog service: one VRDMSG call per dialog, the answer letter mapped to the answer code.
#include "dialogs/dialog_service.h"

#include "platform/console.h"
#include "platform/process.h"
#include "platform/program_call.h"

namespace dunax::dialogs {
namespace {

constexpr char kMessageBoxProgram[] = "VRDMSG  ";
// "O PROGRAMA " VRDMSG  "" and "NÃO SE ENCONTRA INSTALADO !!! " in Windows-1252.
constexpr char kMissingLine1[] = "O PROGRAMA \" VRDMSG  \"";
constexpr char kMissingLine2[] = "N\xC3O SE ENCONTRA INSTALADO !!! ";

char mapConfirmationAnswer(unsigned char letter) {
  switch (letter) {
    case 'y': return kYes;
    case 'n': return kNo;
    case 'c': return kCancelled;
    default: return static_cast<char>(letter);
  }
}

char mapErrorReportAnswer(unsigned char letter) {
  switch (letter) {
    case 'r': return kRetry;
    case 'c': return kCancelled;
    default: return static_cast<char>(letter);
  }
}

}  // namespace

char DialogService::ask(BoxKind kind) {
  MessageBoxBlock block;
  buildMessageBoxBlock(block, kind, defaultFlag, message);
  platform::OutsideProgram messageBox(kMessageBoxProgram);
  platform::CallResult result = messageBox.call(block.bytes);
  messageBox.release();
  if (!result.called()) endForMissingMessageBox();
  defaultFlag = ' ';
  return static_cast<char>(block.bytes[box_offsets::kAnswer]);
}

char DialogService::confirm() {
  unsigned char letter = static_cast<unsigned char>(ask(BoxKind::Confirmation));
  confirmationAnswer_ = mapConfirmationAnswer(letter);
  return confirmationAnswer_;
}

char DialogService::reportError() {
  unsigned char letter = static_cast<unsigned char>(ask(BoxKind::ErrorReport));
  errorReportAnswer_ = mapErrorReportAnswer(letter);
  return errorReportAnswer_;
}

void DialogService::endForMissingMessageBox() {
  message.clear();
  message.setLine(1, kMissingLine1);
  message.setLine(2, kMissingLine2);
  platform::writeAtConsole(23, 1, message.lines[0], kLineLength);
  platform::writeAtConsole(24, 1, message.lines[1], kLineLength);
  platform::endProcess(kExitMessageBoxMissing);
}

}  // namespace dunax::dialogs
