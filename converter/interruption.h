// The interruption: a close request seen in the key code at a full display of the panel is
// answered by the operator, and a yes stops the conversion (exit code 16).
#pragma once

#include "converter/screen/screen_library.h"
#include "dialogs/dialog_service.h"
#include "platform/session.h"

namespace dunax::converter {

class Interruption {
 public:
  Interruption(screen::ScreenLibrary& screen, dialogs::DialogService& dialogs)
      : screen_(screen), dialogs_(dialogs) {}

  // When the key code holds a close request (window closed, Alt+F4, Ctrl+C), asks whether to
  // interrupt, no being the default: yes leaves the window-closed code in the key code, any
  // other answer clears it. A termination request (SIGTERM, SIGHUP) interrupts without asking.
  void test();

  // True once the operator confirmed the interruption or the process was asked to terminate:
  // the run ends after the attempt's clean end, with exit code 16. The end of an attempt reads
  // it once, at its point of no return (conversion_run.h); what arrives later does not count.
  // (Termination requests cut the converter's waits short: platform/session.h.)
  bool interrupted() const { return interrupted_ || platform::terminationRequested(); }

 private:
  bool interrupted_ = false;
  screen::ScreenLibrary& screen_;
  dialogs::DialogService& dialogs_;
};

}  // namespace dunax::converter
