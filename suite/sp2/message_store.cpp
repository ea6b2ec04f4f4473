// The screen library's single current message per user: one 1000-byte file, "current", in the
// user's private message directory, replaced whole by a post and read whole by a fetch.
#include "suite/sp2/message_store.h"

#include <cstring>
#include <string>

#include "layouts/byte_fields.h"
#include "layouts/exchange_record.h"
#include "platform/private_directory.h"
#include "platform/process.h"

namespace dunax::sp2 {
namespace {

constexpr std::size_t kTextOffset = offsetof(layouts::MessageBlock, text);
constexpr std::size_t kTextLength = layouts::kMessageTextLength;
constexpr char kMessageFileName[] = "current";
constexpr char kLockFileName[] = "exchange.lock";

// Writes the block's return code of outcome and returns it: 0 for success; for a failure the
// host's error number when it fits the 2-byte field, otherwise 1 (never 0).
int answer(unsigned char* block, const platform::Status& outcome) {
  const int error = outcome.native();
  const int code = outcome.ok() ? 0 : error > 0 && error < 0x7FFF ? error : 1;
  layouts::putLittleEndian16(reinterpret_cast<layouts::MessageBlock*>(block)->returnCode, code);
  return code;
}

// The message directory: $DUNAX_MESSAGE_DIR, else the user's private directory for "sp2"
// (${XDG_RUNTIME_DIR:-/tmp}/dunax-sp2-<uid> on POSIX, %LOCALAPPDATA%\dunax\sp2 on Windows).
std::string messageDirectory() {
  const char* chosen = platform::environmentValue("DUNAX_MESSAGE_DIR");
  if (chosen != nullptr && chosen[0] != '\0') return chosen;
  return platform::defaultPrivateDirectory("sp2");
}

}  // namespace

int postMessage(unsigned char* block) {
  const std::string directory = messageDirectory();
  platform::Status error = platform::preparePrivateDirectory(directory);
  if (error.ok()) {
    error = platform::replaceFileAtomically(directory, kMessageFileName, block + kTextOffset,
                                            kTextLength);
  }
  return answer(block, error);
}

int fetchMessage(unsigned char* block) {
  const std::string directory = messageDirectory();
  platform::Status error = platform::preparePrivateDirectory(directory);
  unsigned char text[kTextLength];
  if (error.ok()) {
    error = platform::readFileExactly(directory + "/" + kMessageFileName, text, kTextLength);
  }
  if (error.ok()) std::memcpy(block + kTextOffset, text, kTextLength);
  return answer(block, error);
}

platform::Status lockExchange(platform::FileLock& lock, int waitMilliseconds) {
  const std::string directory = messageDirectory();
  platform::Status prepared = platform::preparePrivateDirectory(directory);
  if (!prepared.ok()) return prepared;
  // The lock file stays in the private directory, to be locked again by the next client.
  return lock.acquire(directory + "/" + kLockFileName, waitMilliseconds,
                      platform::LockFileAfter::Kept);
}

}  // namespace dunax::sp2
