// The portable part of the terminal: the close requests noted by either half's handlers (lock-
// free atomics, safe in a signal handler and across the console's thread) and taken by the
// caller, and the text that puts the screen back.
#include <atomic>
#include <cstring>

#include "platform/terminal_requests.h"

namespace dunax::platform {
namespace {

std::atomic<int> gInterruptPending{0};
std::atomic<int> gTerminatePending{0};
std::atomic<int> gTerminateSeen{0};  // taken or not: a second one ends the process
std::atomic<int> gHungUp{0};
char gRestoreText[256];
std::size_t gRestoreLength = 0;

}  // namespace

namespace detail {

void startNotingCloseRequests(const char* restoreText, std::size_t length) {
  if (length > sizeof gRestoreText) length = sizeof gRestoreText;
  std::memcpy(gRestoreText, restoreText, length);
  gRestoreLength = length;
  gInterruptPending.store(0);
  gTerminatePending.store(0);
  gTerminateSeen.store(0);
  gHungUp.store(0);
}

void dropPendingCloseRequests() {
  gInterruptPending.store(0);
  gTerminatePending.store(0);
}

bool noteCloseRequest(CloseRequest request, bool terminalClosed) {
  if (request == CloseRequest::Interrupt) {
    gInterruptPending.store(1);
    return false;
  }
  if (terminalClosed) gHungUp.store(1);
  if (gTerminateSeen.exchange(1) != 0) return true;
  gTerminatePending.store(1);
  return false;
}

const char* restoreText(std::size_t& length) {
  length = gRestoreLength;
  return gRestoreText;
}

}  // namespace detail

CloseRequest takeCloseRequest() {
  if (gTerminatePending.exchange(0) != 0) return CloseRequest::Terminate;
  if (gInterruptPending.exchange(0) != 0) return CloseRequest::Interrupt;
  return CloseRequest::None;
}

bool terminalHungUp() { return gHungUp.load() != 0; }

}  // namespace dunax::platform
