// DUNAXMF, the converter: one data file per run, direction "B" (data file to transfer file)
// or "X" (transfer file to data file), ending with the exit code its manager acts on.
#include "converter/help_and_version.h"
#include "converter/start_up.h"
#include "layouts/exit_codes.h"
#include "platform/process.h"

int main(int argc, char** argv) {
  using namespace dunax::converter;
  // "--help" and "--version" are answered, and end as the bad direction letter they are.
  if (answerHelpOrVersion(argc, argv)) {
    dunax::platform::endProcess(dunax::layouts::kExitAbortConversion);
  }
  dunax::platform::endProcess(runConverter(argc, argv));
}
