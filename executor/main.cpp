// DUNAXSYS, the executor: carries out one file-system command posted by a requesting program
// through the screen library's current message, posts the reply and ends.
#include "executor/main_sequence.h"
#include "platform/process.h"

int main() {
  dunax::executor::NamedScreenLibrary library;
  int returnCode = dunax::executor::runMainSequence(library);
  library.setName("");  // releases the library before the run-time is shut down
  dunax::platform::endProcess(returnCode);
}
