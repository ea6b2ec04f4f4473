// SP2MF, the screen library stand-in: the entry point, the terminal of the process as the
// library's host, and the current message of the user (functions 53 and 54).
#include <cstdlib>
#include <optional>

#include "platform/clock.h"
#include "platform/module_export.h"
#include "platform/module_pin.h"
#include "platform/terminal.h"
#include "suite/sp2/panel_format.h"
#include "suite/sp2/message_store.h"
#include "suite/sp2/screen_library.h"

namespace dunax::sp2 {
namespace {

// The process's terminal, clock and close-request signals.
class TerminalHost final : public ScreenHost {
 public:
  bool openScreen(const std::string& restoreText) override {
    bool drawable = platform::standardStreamsAreTerminals();
    keyMode_ = drawable && platform::enterKeyInputMode(true).ok();
    platform::installCloseRequestHandlers(restoreText.data(), restoreText.size());
    return drawable;
  }
  void closeScreen() override {
    if (keyMode_) platform::leaveKeyInputMode();
    keyMode_ = false;
    platform::removeCloseRequestHandlers();
  }
  ScreenSize size() override {
    platform::TerminalSize size = platform::terminalSize();
    return {size.rows, size.columns};
  }
  bool sizeChanged() override { return platform::takeSizeChange(); }
  bool write(const std::string& text) override {
    if (platform::terminalHungUp()) return false;
    return platform::writeToTerminal(text.data(), text.size()).ok();
  }
  std::int64_t now() override { return platform::monotonicNanoseconds(); }
  Request takeRequest() override {
    switch (platform::takeCloseRequest()) {
      case platform::CloseRequest::Interrupt:
        return Request::Interrupt;
      case platform::CloseRequest::Terminate:
        return Request::Terminate;
      case platform::CloseRequest::None:
        break;
    }
    return Request::None;
  }

 private:
  bool keyMode_ = false;
};

// The module's process state, owned by the entry point SP2MF and by nothing else: the
// process's terminal and the library drawn on it, made at the first call and kept for as long
// as the module is loaded.
struct ModuleState {
  TerminalHost host;
  // cppcheck-suppress unusedStructMember ; used through gModule
  ScreenLibrary library{host};
};
std::optional<ModuleState> gModule;

// The library, made at the first call, with the end of the process hooked then to put the
// terminal back.
ScreenLibrary& library() {
  if (!gModule) {
    gModule.emplace();
    // The terminal is put back however the process ends normally.
    std::atexit([] { gModule->library.shutDown(); });
  }
  return gModule->library;
}

}  // namespace
}  // namespace dunax::sp2

// The entry point: functionCode is a 2-byte integer stored most significant byte first, block
// the function's parameter record. Returns 0 when the function was carried out, otherwise one
// of the library's codes (screen_library.h), non-zero for an unknown function.
extern "C" DUNAX_EXPORT int SP2MF(void* functionCode, void* block) {
  using namespace dunax::sp2;
  dunax::platform::keepThisModuleLoaded();  // its handlers and hooks outlive any release
  if (functionCode == nullptr || block == nullptr) return kUnknownFunction;
  int function = readBigEndian16(static_cast<const unsigned char*>(functionCode));
  auto* record = static_cast<unsigned char*>(block);
  if (function == dunax::layouts::screen_function::kPostMessage) return postMessage(record);
  if (function == dunax::layouts::screen_function::kFetchMessage) return fetchMessage(record);
  return library().call(function, record);
}
