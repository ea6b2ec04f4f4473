// The dialog service: one message-box call per dialog, the answer letter mapped to the answer
// code, and the console lines when the message box cannot be reached.
#include "dialogs/dialog_service.h"

#include "platform/console.h"

namespace dunax::dialogs {
namespace {

// "O PROGRAMA " VRDMSG  "" and "NÃO SE ENCONTRA INSTALADO !!! " in Windows-1252.
constexpr char kMissingLine1[] = "O PROGRAMA \" VRDMSG  \"";
constexpr char kMissingLine2[] = "N\xC3O SE ENCONTRA INSTALADO !!! ";
constexpr int kMissingLinesRow = 23;

char mapConfirmationAnswer(unsigned char letter) {
  switch (letter) {
    case layouts::kAnswerYes: return kYes;
    case layouts::kAnswerNo: return kNo;
    case layouts::kAnswerCancel: return kCancelled;
    default: return static_cast<char>(letter);
  }
}

char mapErrorReportAnswer(unsigned char letter) {
  switch (letter) {
    case layouts::kAnswerRetry: return kRetry;
    case layouts::kAnswerCancel: return kCancelled;
    default: return static_cast<char>(letter);
  }
}

}  // namespace

char DialogService::ask(BoxKind kind, char defaultFlag) {
  if (messageBoxMissing_) return kNoMessageBox;
  MessageBoxBlock block;
  buildMessageBoxBlock(block, kind, defaultFlag, message);
  messageBoxFailure_ = messageBox_.show(block);
  if (!messageBoxFailure_.ok()) {
    sayMessageBoxMissing();
    return kNoMessageBox;
  }
  return block.answer[0];
}

char DialogService::confirm(Default defaultButton) {
  char letter = ask(BoxKind::Confirmation, defaultButton == Default::No ? 'N' : ' ');
  if (letter == kNoMessageBox) return kNoMessageBox;
  return mapConfirmationAnswer(static_cast<unsigned char>(letter));
}

char DialogService::reportError() {
  char letter = ask(BoxKind::ErrorReport, ' ');
  if (letter == kNoMessageBox) return kNoMessageBox;
  return mapErrorReportAnswer(static_cast<unsigned char>(letter));
}

void DialogService::sayMessageBoxMissing() {
  messageBoxMissing_ = true;
  message.clear();
  message.setLine(1, kMissingLine1);
  message.setLine(2, kMissingLine2);
  platform::writeAtConsole(kMissingLinesRow, 1, message.lines[0], kLineLength);
  platform::writeAtConsole(kMissingLinesRow + 1, 1, message.lines[1], kLineLength);
}

}  // namespace dunax::dialogs
