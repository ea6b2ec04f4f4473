// Test double of the screen library under the name SP2: keeps the current message in the same
// per-user store as the real library, answers every other operation with 0 and, when
// DUNAX_SP2_LOG names a file, appends one line per call: the operation code, and for the
// start-up (83) and window (0) operations the block's bytes in hex. With DUNAX_SP2_REFUSE_POSTS
// set, every post is refused with return code 9.
#include <cstdio>
#include <cstdlib>

#include "suite/sp2/message_store.h"

namespace {

void logCall(int operationCode, const unsigned char* block, int blockLength) {
  const char* path = std::getenv("DUNAX_SP2_LOG");
  if (path == nullptr || path[0] == '\0') return;
  std::FILE* log = std::fopen(path, "a");
  if (log == nullptr) return;
  std::fprintf(log, "%d", operationCode);
  if (blockLength > 0) {
    std::fputc(' ', log);
    for (int i = 0; i < blockLength; ++i) std::fprintf(log, "%02x", block[i]);
  }
  std::fputc('\n', log);
  std::fclose(log);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int SP2(const unsigned char* code,
                                                                unsigned char* block) {
  const int operationCode = (code[0] << 8) | code[1];
  switch (operationCode) {
    case 83:
      logCall(operationCode, block, 10);
      return 0;
    case 0:
      logCall(operationCode, block, 188);
      return 0;
    case 53:
      logCall(operationCode, block, 0);
      if (std::getenv("DUNAX_SP2_REFUSE_POSTS") != nullptr) {
        block[0] = 9;
        block[1] = 0;
        return 9;
      }
      return dunax::sp2::postMessage(block);
    case 54:
      logCall(operationCode, block, 0);
      return dunax::sp2::fetchMessage(block);
    default:
      logCall(operationCode, block, 0);
      return 0;
  }
}
