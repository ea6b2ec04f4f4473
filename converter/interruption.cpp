// The interruption test at the end of every progress step.
#include "converter/interruption.h"

#include "converter/texts.h"
#include "layouts/screen_functions.h"

namespace dunax::converter {

void Interruption::test() {
  if (interrupted_) return;  // the question was answered; the run is ending
  if (platform::terminationRequested()) {
    // The process is being ended: nobody is asked, the run stops.
    screen_.setKeyCode(layouts::screen_key::kWindowClosed);
    interrupted_ = true;
    return;
  }
  std::int16_t key = screen_.keyCode();
  if (key != layouts::screen_key::kWindowClosed && key != layouts::screen_key::kAltF4 &&
      key != layouts::screen_key::kCtrlC) {
    return;
  }
  dialogs_.message.clear();
  dialogs_.message.setLine(1, texts::kCloseLine1);
  dialogs_.message.setLine(2, texts::kCloseLine2);
  dialogs_.message.setLine(3, texts::kCloseLine3);
  dialogs_.message.setLine(4, texts::kCloseLine4);
  std::optional<char> answer = dialogs_.confirm(dialogs::Default::No);
  // A question that cannot be shown ends the run too: nobody can be asked anything more.
  if (!answer || answer == dialogs::kYes ||
      platform::terminationRequested()) {
    screen_.setKeyCode(layouts::screen_key::kWindowClosed);
    interrupted_ = true;
  } else {
    screen_.setKeyCode(layouts::screen_key::kNone);
  }
}

}  // namespace dunax::converter
