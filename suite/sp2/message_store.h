// The screen library's single current message per user (functions 53 post and 54 fetch), kept
// in a directory that only that user can reach and replaced whole by every post.
#pragma once

#include "platform/file_lock.h"

namespace dunax::sp2 {

// The message block (layouts/exchange_record.h) is 1014 bytes: the return code, the settings,
// two zero bytes, the 1000-character message text.

// Stores the block's 1000-character text as the user's current message, atomically.
// Returns 0 and writes 0 into the block's return code when the message was stored; otherwise
// a non-zero code (also written into the block) and nothing is changed.
int postMessage(unsigned char* block);

// Copies the user's current message into the block's text (1000 bytes).
// Returns 0 (also written into the block's return code); with nothing ever posted the text is
// left as it was and a non-zero code is returned.
int fetchMessage(unsigned char* block);

// Takes the user's exchange lock ("exchange.lock" in the message directory) into lock, waiting
// at most waitMilliseconds while another client holds it. A client holds it from before its
// request until after its end message, so that two clients of the same user take turns and
// never overwrite each other's messages (the library keeps one current message, and two
// requests of the same hundredth of a second carry the same stamp).
// Returns success; the failure when the directory is refused; Busy when the lock stayed taken.
platform::Status lockExchange(platform::FileLock& lock, int waitMilliseconds);

}  // namespace dunax::sp2
