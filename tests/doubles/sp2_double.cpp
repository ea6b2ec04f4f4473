// Test double of the screen library under the name SP2: keeps the current message in the same
// per-user store as the real library, answers every other operation with 0 and, when
// DUNAX_SP2_LOG names a file, appends one line per call: the operation code, and for the
// start-up (83) and window (0) operations the block's bytes in hex. With DUNAX_SP2_REFUSE_POSTS
// set, every post is refused with return code 9.
#include <cstdio>
#include <cstdlib>

#include "layouts/byte_fields.h"
#include "layouts/exchange_record.h"
#include "layouts/panel_records.h"
#include "layouts/screen_functions.h"
#include "platform/module_export.h"
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

extern "C" DUNAX_EXPORT int SP2(const unsigned char* code,
                                                                unsigned char* block) {
  namespace layouts = dunax::layouts;
  namespace function = layouts::screen_function;
  const int operationCode = layouts::readBigEndian16(code);
  switch (operationCode) {
    case function::kStartLibrary:
      logCall(operationCode, block, layouts::kStartUpBlockLength);
      return 0;
    case function::kOpenWindow:
      logCall(operationCode, block, layouts::kWindowRecordLength);
      return 0;
    case function::kPostMessage:
      logCall(operationCode, block, 0);
      if (std::getenv("DUNAX_SP2_REFUSE_POSTS") != nullptr) {
        layouts::putLittleEndian16(reinterpret_cast<layouts::MessageBlock*>(block)->returnCode, 9);
        return 9;
      }
      return dunax::sp2::postMessage(block);
    case function::kFetchMessage:
      logCall(operationCode, block, 0);
      return dunax::sp2::fetchMessage(block);
    default:
      logCall(operationCode, block, 0);
      return 0;
  }
}
