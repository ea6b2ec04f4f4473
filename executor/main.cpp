// DUNAXSYS, the executor: carries out one file-system command posted by a requesting program
// through the screen library's current message, posts the reply and ends.
#include "executor/help_and_version.h"
#include "executor/main_sequence.h"
#include "platform/process.h"

int main(int argc, char** argv) {
  // "--help" and "--version" are answered without fetching a request; any other argument is
  // ignored, as the executor reads nothing from its command line.
  if (dunax::executor::answerHelpOrVersion(argc, argv)) {
    dunax::platform::endProcess(dunax::executor::kExitHelpOrVersion);
  }
  dunax::executor::ScreenByName library;
  int returnCode = dunax::executor::runMainSequence(library);
  library.release();  // before the run-time is shut down
  dunax::platform::endProcess(returnCode);
}
