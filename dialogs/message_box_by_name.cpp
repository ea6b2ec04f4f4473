// VRDMSG called by name: loaded for the dialog, released after it.
#include "dialogs/message_box_program.h"

namespace dunax::dialogs {

bool MessageBoxByName::show(MessageBoxBlock& block) {
  platform::OutsideProgram messageBox("VRDMSG  ");
  platform::CallResult result = messageBox.call(&block);
  loadError_ = messageBox.loadError();
  messageBox.release();
  return result.called();
}

}  // namespace dunax::dialogs
