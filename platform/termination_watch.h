// A termination request (or the terminal closed; the host's words are in session.h) noted for
// a while instead of obeyed: a program that waits for the operator stops waiting, tidies up and
// then passes the request on to whoever handled it before.
#pragma once

namespace dunax::platform {

// While it lives, termination requests and a closed terminal only note that they arrived, and
// they interrupt a wait for keys in progress. The handlers in force before are put back when it
// ends. One watch at a time in a process.
class TerminationWatch {
 public:
  TerminationWatch();
  ~TerminationWatch() { putBack(); }
  TerminationWatch(const TerminationWatch&) = delete;
  TerminationWatch& operator=(const TerminationWatch&) = delete;

  // True once a termination request or a closed terminal has arrived. Costs no system call.
  bool requested() const;

  // Puts the handlers found at the start back (once), then hands the request that arrived, if
  // any, to this process again so that those handlers see it (without a handler of its own the
  // process ends by that request, as it would have without the watch).
  void endAndPassOn();

 private:
  void putBack();
  bool ended_ = false;
};

}  // namespace dunax::platform
