// The message-box program as the dialog service reaches it: one call per dialog with the
// 246-byte block, and VRDMSG called by name as the one real way to reach it.
#pragma once

#include <string>

#include "dialogs/message_box_block.h"
#include "platform/program_call.h"

namespace dunax::dialogs {

class MessageBoxProgram {
 public:
  virtual ~MessageBoxProgram() = default;
  // Shows the box the block describes; the answer letter comes back at its answer offset.
  // Returns false when the program cannot be reached (nothing was shown; loadError() says why).
  virtual bool show(MessageBoxBlock& block) = 0;
  virtual std::string loadError() const = 0;
};

// VRDMSG, loaded for every dialog and released after it.
class MessageBoxByName final : public MessageBoxProgram {
 public:
  bool show(MessageBoxBlock& block) override;
  std::string loadError() const override { return loadError_; }

 private:
  std::string loadError_;
};

}  // namespace dunax::dialogs
