// The termination watch on Windows: handlers of the console's Ctrl+Break and close requests
// (platform/win32/console_control.h) that only note the request and wake a wait for keys, the
// previous handlers kept and put back, and the noted request handed to them afterwards.
#include "platform/termination_watch.h"

#include <atomic>

#include "platform/win32/console_control.h"

namespace dunax::platform {
namespace {

using win32::ConsoleRequest;
using win32::ConsoleRequestHandler;

constexpr int kNone = -1;

std::atomic<int> gNotedRequest{kNone};  // the first request that arrived, as its ConsoleRequest
ConsoleRequestHandler gPrevious[2] = {nullptr, nullptr};  // Terminate, Closed

void noteRequest(ConsoleRequest request) {
  int none = kNone;
  gNotedRequest.compare_exchange_strong(none, static_cast<int>(request));
}

}  // namespace

TerminationWatch::TerminationWatch() {
  gNotedRequest.store(kNone);
  (void)win32::hookConsoleRequests();  // unhooked, the console ends the process its own way
  gPrevious[0] = win32::setConsoleRequestHandler(ConsoleRequest::Terminate, noteRequest);
  gPrevious[1] = win32::setConsoleRequestHandler(ConsoleRequest::Closed, noteRequest);
}

bool TerminationWatch::requested() const { return gNotedRequest.load() != kNone; }

void TerminationWatch::putBack() {
  if (ended_) return;
  ended_ = true;
  win32::setConsoleRequestHandler(ConsoleRequest::Terminate, gPrevious[0]);
  win32::setConsoleRequestHandler(ConsoleRequest::Closed, gPrevious[1]);
}

void TerminationWatch::endAndPassOn() {
  putBack();
  const int noted = gNotedRequest.exchange(kNone);
  if (noted == kNone) return;
  const auto request = static_cast<ConsoleRequest>(noted);
  const ConsoleRequestHandler previous = gPrevious[request == ConsoleRequest::Closed ? 1 : 0];
  if (previous == nullptr) win32::endAsConsoleDefault();
  previous(request);
}

}  // namespace dunax::platform
