// VRDMSG called by name: loaded for the dialog, released after it.
#include "dialogs/message_box_program.h"

namespace dunax::dialogs {

platform::Status MessageBoxByName::show(MessageBoxBlock& block) {
  platform::OutsideProgram messageBox("VRDMSG  ");
  platform::Status shown = messageBox.call(&block).status();
  messageBox.release();
  return shown;
}

}  // namespace dunax::dialogs
