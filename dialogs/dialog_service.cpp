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

std::optional<unsigned char> DialogService::ask(BoxKind kind, char defaultFlag) {
  if (messageBoxMissing_) return std::nullopt;
  MessageBoxBlock block;
  buildMessageBoxBlock(block, kind, defaultFlag, message);
  messageBoxFailure_ = messageBox_.show(block);
  if (!messageBoxFailure_.ok()) {
    sayMessageBoxMissing();
    return std::nullopt;
  }
  return static_cast<unsigned char>(block.answer[0]);
}

std::optional<char> DialogService::confirm(Default defaultButton) {
  const std::optional<unsigned char> letter =
      ask(BoxKind::Confirmation, defaultButton == Default::No ? 'N' : ' ');
  if (!letter) return std::nullopt;
  return mapConfirmationAnswer(*letter);
}

std::optional<char> DialogService::reportError() {
  const std::optional<unsigned char> letter = ask(BoxKind::ErrorReport, ' ');
  if (!letter) return std::nullopt;
  return mapErrorReportAnswer(*letter);
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
