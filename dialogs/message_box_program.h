// The message-box program as the dialog service reaches it: one call per dialog with the
// 246-byte block, and VRDMSG called by name as the one real way to reach it.
#pragma once

#include "dialogs/message_box_block.h"
#include "platform/program_call.h"
#include "platform/status.h"

namespace dunax::dialogs {

class MessageBoxProgram {
 public:
  virtual ~MessageBoxProgram() = default;
  // Shows the box the block describes; the answer letter comes back at its answer offset.
  // Returns success, or NotFound with the loader's words when the program cannot be reached
  // (nothing was shown).
  virtual platform::Status show(MessageBoxBlock& block) = 0;
};

// VRDMSG, loaded for every dialog and released after it.
class MessageBoxByName final : public MessageBoxProgram {
 public:
  platform::Status show(MessageBoxBlock& block) override;
};

}  // namespace dunax::dialogs
